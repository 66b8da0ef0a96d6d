// The list of cipher types as the page takes it from the module: each
// type's name, title, key options and keys, the choices filled from it,
// and a text enciphered or deciphered by a type with the key fields' values.
'use strict';

// The key options of the list, as cipher_types.h numbers them.
const NUMBER_OPTION = 1;
const OFFSET_OPTION = 4;
const ROUTE_OPTION = 8;
const START_OPTION = 16;

function cipherTypes(module) {
	const types = [];
	for (let i = 0; i < module._web_cipher_type_count(); i++)
		types.push({ index: i, name: moduleString(module, module._web_cipher_type_name(i)),
			title: moduleString(module, module._web_cipher_type_title(i)),
			units: moduleString(module, module._web_cipher_type_units(i)),
			options: module._web_cipher_type_options(i), keys: module._web_cipher_type_keys(i),
			// Searched by the keyed search, of blocks read as rows, or by
			// the search of the other types.
			rows: module._web_cipher_type_rows(i), family: module._web_family_searches(i) });
	return types;
}

// Fills a select with the types' titles, the first chosen.
function fillTypeChoice(select, types) {
	for (const type of types) {
		const option = document.createElement('option');
		option.value = String(type.index);
		option.textContent = type.title;
		select.append(option);
	}
	select.value = '0';
}

// What a type's key field takes, for its label.
function keyLabel(type, first) {
	if (type.keys === 2)
		return 'Two keywords or orders, separated by a space, the first applied first';
	if ((type.options & NUMBER_OPTION) && !first)
		return `Number of ${type.units}`;
	return first ? 'Columns, keyword or order' : 'Keyword or order';
}

// The bytes of one line enciphered, or deciphered, by `type` with the
// key field's text, the offset or start field's number and the route, as
// transpose and untranspose-key take them; null for a key the type cannot
// take.
function transformAs(module, type, bytes, { key, along, route, corner }, decipher) {
	const given = key.trim();
	if ((type.options & NUMBER_OPTION) && !/^[0-9]+$/.test(given))
		return null;
	const number = (type.options & NUMBER_OPTION) ? Number(given) : 0;
	const word = (type.options & NUMBER_OPTION) ? new Uint8Array(0) : new TextEncoder().encode(given);
	const offset = (type.options & START_OPTION) ? along - 1 : (type.options & OFFSET_OPTION) ? along : 0;
	if (!Number.isInteger(offset) || offset < 0)
		return null;
	const at = copyToModule(module, bytes);
	const wordAt = copyToModule(module, word);
	const length = module._web_cipher_transform(type.index, at, bytes.length, number, wordAt, word.length, offset,
		(type.options & ROUTE_OPTION) ? route * 4 + corner : 0, decipher);
	module._free(at);
	module._free(wordAt);
	if (length < 0)
		return null;
	const start = module._web_cipher_output();
	return module.HEAPU8.slice(start, start + length);
}
