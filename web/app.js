// The page's glue: it moves bytes between the page and the module, whose
// C++ does all the decoding.
'use strict';

// A case's text holds at most this many bytes; the filter cuts the rest.
const TEXT_LIMIT = 9999;
const MOST_KEY = 2147483647;
const encoder = new TextEncoder();
const $ = (id) => document.getElementById(id);

untransposeModule()().then((module) => {
	// Copies bytes into the module's memory; the caller frees the block.
	function copyIn(bytes) {
		const at = module._malloc(Math.max(bytes.length, 1));
		module.HEAPU8.set(bytes, at);
		return at;
	}

	// The text area's text as one text line: line breaks count as spaces.
	// A text too long for a case is first packed by dropping its spaces,
	// which the filter would drop anyway, so that all its letters count.
	function textBytes() {
		const typed = encoder.encode($('text').value.replace(/\r?\n/g, ' '));
		if (typed.length <= TEXT_LIMIT)
			return { bytes: typed, note: '' };
		const packed = typed.filter((byte) => byte !== 0x20);
		const size = `The text is ${count(typed.length, 'byte')}, more than a case's ${count(TEXT_LIMIT, 'byte')}`;
		if (packed.length <= TEXT_LIMIT)
			return { bytes: packed, note: `${size}: its spaces were dropped first, so that all of it is decoded.` };
		return { bytes: typed, note: `${size}, and ${count(packed.length, 'byte')} without its spaces: ` +
			`only its first ${count(TEXT_LIMIT, 'byte')} are decoded, as the filter decodes a case.` };
	}

	function decodeWith(bytes, key) {
		const at = copyIn(bytes);
		const length = module._web_decode(at, bytes.length, key);
		module._free(at);
		const start = module._web_decoded();
		return module.HEAPU8.slice(start, start + length);
	}

	// The key field's number, and what to say of it.  The field's own
	// number is read, so that 1e1 is 10, as the field shows it.
	function readKey(length) {
		const field = $('key');
		const n = field.valueAsNumber;
		const asRead = 'until then the text is shown as it is read, as the key 1 shows it.';
		if (field.value === '' && !field.validity.badInput)
			return { key: 1, invalid: true, note: `Give a number of columns; ${asRead}` };
		if (!Number.isFinite(n))
			return { key: 1, invalid: true, note: `A key is a number of columns, such as 4; ${asRead}` };
		if (!Number.isInteger(n))
			return { key: 1, invalid: true, note: `A key is a whole number of columns; ${asRead}` };
		if (n === 0)
			return { key: 1, invalid: true, note: `The key 0 ends a file of cases and decodes nothing; ${asRead.replace('until then ', '')}` };
		if (n < 0)
			return { key: Math.max(n, -MOST_KEY - 1), invalid: false,
				note: 'A negative key describes no grid: the text is shown as it is read, as the key 1 shows it.' };
		if (n > MOST_KEY)
			return { key: MOST_KEY, invalid: false, note: `Keys above ${MOST_KEY.toLocaleString('en')} are read as that key, as the filter reads them.` };
		if (n > 1 && n >= length && length > 0)
			return { key: n, invalid: false, note: `A key of ${count(length, 'column')} or more leaves a text of ${count(length, 'byte')} as it is.` };
		return { key: n, invalid: false, note: '' };
	}

	function summary(decoded, key, found) {
		let letters = 0;
		for (const byte of decoded)
			if (byte >= 0x41 && byte <= 0x5a)
				letters++;
		const others = decoded.length - letters;
		const what = `${count(letters, 'letter')}${others > 0 ? ` and ${count(others, 'other byte')}` : ''}`;
		return found ? `found the key ${key}; decoded, ${what}` : `decoded, ${what}, key ${key}`;
	}

	function show(found = false) {
		const { bytes, note } = textBytes();
		$('text-note').textContent = note;
		const length = bytes.filter((byte) => byte !== 0x20).length;
		const { key, invalid, note: keyNote } = readKey(length);
		$('key-note').textContent = keyNote;
		if (invalid)
			$('key').setAttribute('aria-invalid', 'true');
		else
			$('key').removeAttribute('aria-invalid');
		const decoded = decodeWith(bytes, key);
		showBytes($('output'), decoded);
		$('summary').textContent = summary(decoded, key, found);
	}

	// Candidates belong to the text they were found for.
	function forgetCandidates() {
		$('candidates').replaceChildren();
		$('candidates-box').hidden = true;
		$('candidates-note').textContent = '';
	}

	function findKeys() {
		const { bytes } = textBytes();
		const at = copyIn(bytes);
		const found = module._web_find_keys(at, bytes.length, 10);
		module._free(at);
		forgetCandidates();
		if (found === 0 || module._web_quadgrams(0) === 0) {
			$('candidates-note').textContent = 'This text has no four letters to score, so no key can be judged.';
			return;
		}
		const list = $('candidates');
		for (let i = 0; i < found; i++) {
			const key = module._web_key(i);
			const score = module._web_score(i);
			const item = document.createElement('li');
			const button = document.createElement('button');
			button.type = 'button';
			button.dataset.key = String(key);
			const start = document.createElement('span');
			showBytes(start, decodeWith(bytes, key).slice(0, 60));
			button.append(`key ${key} (${score.toFixed(2)}): `, start);
			button.addEventListener('click', () => {
				$('key').value = String(key);
				show();
			});
			item.append(button);
			list.append(item);
		}
		$('candidates-box').hidden = false;
		$('key').value = String(module._web_key(0));
		show(true);
	}

	$('text').addEventListener('input', () => {
		forgetCandidates();
		show();
	});
	$('key').addEventListener('input', () => show());
	$('find').addEventListener('click', findKeys);
	setUpCaseFiles();
	show();
	document.body.dataset.ready = 'true';
});
