// Shows bytes as text.  The filter moves bytes, not characters, so a
// decoding may split a UTF-8 character or hold control bytes; each byte
// that is not part of a whole character, and each control byte but the
// tab and the newline, is shown as its value, \xHH, marked, rather than as
// a replacement sign that hides what it was.
'use strict';

// The length of the UTF-8 character that starts at bytes[i], or 0 when no
// printable character starts there.
function characterLength(bytes, i) {
	const first = bytes[i];
	if (first < 0x80)
		return first >= 0x20 && first !== 0x7f || first === 0x09 || first === 0x0a ? 1 : 0;
	let length;
	if (first >= 0xc2 && first <= 0xdf)
		length = 2;
	else if (first >= 0xe0 && first <= 0xef)
		length = 3;
	else if (first >= 0xf0 && first <= 0xf4)
		length = 4;
	else
		return 0;
	if (i + length > bytes.length)
		return 0;
	for (let k = 1; k < length; k++)
		if ((bytes[i + k] & 0xc0) !== 0x80)
			return 0;
	// Overlong forms, surrogates and code points past U+10FFFF.
	const second = bytes[i + 1];
	if (first === 0xe0 && second < 0xa0 || first === 0xed && second >= 0xa0 ||
	    first === 0xf0 && second < 0x90 || first === 0xf4 && second >= 0x90)
		return 0;
	return length;
}

const textDecoder = new TextDecoder('utf-8');

function showBytes(element, bytes) {
	const nodes = document.createDocumentFragment();
	let from = 0;
	for (let i = 0; i < bytes.length;) {
		const length = characterLength(bytes, i);
		if (length > 0) {
			i += length;
			continue;
		}
		if (i > from)
			nodes.append(textDecoder.decode(bytes.subarray(from, i)));
		const mark = document.createElement('span');
		mark.className = 'byte';
		mark.textContent = '\\x' + bytes[i].toString(16).toUpperCase().padStart(2, '0');
		nodes.append(mark);
		from = ++i;
	}
	if (bytes.length > from)
		nodes.append(textDecoder.decode(bytes.subarray(from)));
	element.replaceChildren(nodes);
}

// "1 line", "2 lines", with the number written as people read it.
function count(n, word) {
	return `${n.toLocaleString('en')} ${word}${n === 1 ? '' : 's'}`;
}
