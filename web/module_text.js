// Moving text between the page and the module, for the page's scripts.
'use strict';

// Copies bytes into the module's memory; the caller frees the block.
function copyToModule(module, bytes) {
	const at = module._malloc(Math.max(bytes.length, 1));
	module.HEAPU8.set(bytes, at);
	return at;
}

// Reads a keyword, or ranks separated by commas, into the module's order;
// returns its number of columns, or 0 if it is neither.
function readOrder(module, text) {
	const bytes = new TextEncoder().encode(text);
	const at = copyToModule(module, bytes);
	const columns = module._web_order(at, bytes.length);
	module._free(at);
	return columns;
}

// The text of the zero-ended string at `at` in the module's memory.
function moduleString(module, at) {
	return new TextDecoder().decode(module.HEAPU8.subarray(at, module.HEAPU8.indexOf(0, at)));
}
