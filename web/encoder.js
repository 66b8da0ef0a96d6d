// The encoder, for puzzle makers and teachers: what transpose writes for a
// text and a number of columns, a keyword, or an order as ranks.
'use strict';

function setUpEncoder(module) {
	const $ = (id) => document.getElementById(id);
	const encoder = new TextEncoder();
	const field = $('plain-key');

	// The key field's columns: 0 with the order read into the module, or a
	// number of columns read from left to right; -1 if it is neither.
	function readPlainKey() {
		const given = field.value.trim();
		if (/^[0-9]+$/.test(given)) {
			const key = Number(given);
			return key >= 1 && key <= 2147483647 ? key : -1;
		}
		return given !== '' && readOrder(module, given) > 0 ? 0 : -1;
	}

	// One line as transpose enciphers it, in groups of five if asked.
	function encipher(line, key) {
		const bytes = encoder.encode(line);
		const at = copyToModule(module, bytes);
		const length = module._web_encipher(at, bytes.length, key);
		module._free(at);
		const start = module._web_keyed_decoded();
		const cipher = module.HEAPU8.slice(start, start + length);
		if (!$('groups').checked)
			return cipher;
		const grouped = new Uint8Array(length + Math.max(0, Math.ceil(length / 5) - 1));
		for (let i = 0, j = 0; i < length; i++) {
			if (i > 0 && i % 5 === 0)
				grouped[j++] = 0x20;
			grouped[j++] = cipher[i];
		}
		return grouped;
	}

	function show() {
		const key = readPlainKey();
		if (key < 0) {
			field.setAttribute('aria-invalid', 'true');
			$('plain-key-note').textContent = field.value.trim() === '' ?
				'Give a number of columns, a keyword, or an order such as 6,3,2,4,1,5.' :
				'That is not a number of columns from 1 up, a keyword with a letter, nor the ranks 1 to K each once.';
			$('cipher').replaceChildren();
			return;
		}
		field.removeAttribute('aria-invalid');
		$('plain-key-note').textContent = '';
		// Each line enciphered apart, as transpose reads them.
		const lines = $('plain').value.split('\n');
		if (lines.length > 1 && lines[lines.length - 1] === '')
			lines.pop();
		const ciphers = lines.map((line) => encipher(line, key));
		const bytes = new Uint8Array(ciphers.reduce((n, c) => n + c.length + 1, 0) - 1);
		let at = 0;
		for (const cipher of ciphers) {
			if (at > 0)
				bytes[at++] = 0x0a;
			bytes.set(cipher, at);
			at += cipher.length;
		}
		showBytes($('cipher'), bytes);
	}

	for (const id of ['plain', 'plain-key', 'groups'])
		$(id).addEventListener('input', show);
	show();
}
