// The encoder, for puzzle makers and teachers: what transpose writes for a
// text, a type of the list of cipher types and its key: a number of
// columns or rails, a keyword, or an order as ranks, and the offset, start
// or route the type takes.
'use strict';

function setUpEncoder(module) {
	const $ = (id) => document.getElementById(id);
	const encoder = new TextEncoder();
	const field = $('plain-key');
	const choice = $('plain-cipher-type');

	const types = cipherTypes(module);
	fillTypeChoice(choice, types);
	const label = (type) => keyLabel(type, type.index === 0);

	// One line as transpose enciphers it with a type other than the first.
	const encipherAs = (index, line) => transformAs(module, types[index], encoder.encode(line), {
		key: field.value, along: Number($('plain-offset').value), route: Number($('plain-route').value),
		corner: Number($('plain-corner').value) }, false);

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
	function grouped(cipher) {
		const length = cipher.length;
		if (!$('groups').checked)
			return cipher;
		const spaced = new Uint8Array(length + Math.max(0, Math.ceil(length / 5) - 1));
		for (let i = 0, j = 0; i < length; i++) {
			if (i > 0 && i % 5 === 0)
				spaced[j++] = 0x20;
			spaced[j++] = cipher[i];
		}
		return spaced;
	}

	function encipher(line, key) {
		const bytes = encoder.encode(line);
		const at = copyToModule(module, bytes);
		const length = module._web_encipher(at, bytes.length, key);
		module._free(at);
		const start = module._web_keyed_decoded();
		return module.HEAPU8.slice(start, start + length);
	}

	let shown = null;
	function show() {
		const index = Number(choice.value);
		const type = types[index];
		$('plain-key-label').textContent = label(type);
		$('plain-offset-box').hidden = !(type.options & (OFFSET_OPTION | START_OPTION));
		$('plain-offset-label').textContent = (type.options & START_OPTION) ? 'Start (1 or 2)' : 'Offset';
		$('plain-route-box').hidden = !(type.options & ROUTE_OPTION);
		if (type !== shown) {
			// An AMSCO grid starts with 1 letter unless told otherwise.
			$('plain-offset').value = (type.options & START_OPTION) ? '1' : '0';
			shown = type;
		}
		if (index > 0) {
			const lines = $('plain').value.split('\n');
			if (lines.length > 1 && lines[lines.length - 1] === '')
				lines.pop();
			const ciphers = lines.map((line) => encipherAs(index, line));
			if (ciphers.some((cipher) => cipher === null)) {
				field.setAttribute('aria-invalid', 'true');
				$('plain-key-note').textContent = `That key does not fit a ${type.title}: ${label(type).toLowerCase()}` +
					((type.options & (OFFSET_OPTION | START_OPTION)) ? ', and an offset or start it takes.' : '.');
				$('cipher').replaceChildren();
				return;
			}
			field.removeAttribute('aria-invalid');
			$('plain-key-note').textContent = '';
			joinLines(ciphers.map(grouped));
			return;
		}
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
		joinLines(lines.map((line) => grouped(encipher(line, key))));
	}

	// The lines' ciphers, one to a line.
	function joinLines(ciphers) {
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

	for (const id of ['plain', 'plain-cipher-type', 'plain-key', 'plain-offset', 'plain-route', 'plain-corner', 'groups'])
		$(id).addEventListener('input', show);
	show();
}
