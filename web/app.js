// The page's glue: it moves bytes between the page and the module, whose
// C++ does all the decoding.
'use strict';

const encoder = new TextEncoder();
const decoder = new TextDecoder('utf-8');
const $ = (id) => document.getElementById(id);

createUntranspose().then((module) => {
	// Copies bytes into the module's memory; the caller frees the block.
	function copyIn(bytes) {
		const at = module._malloc(Math.max(bytes.length, 1));
		module.HEAPU8.set(bytes, at);
		return at;
	}

	// The text area's text as one text line: line breaks count as spaces.
	function textBytes() {
		return encoder.encode($('text').value.replace(/\r?\n/g, ' '));
	}

	function decodeWith(key) {
		const bytes = textBytes();
		const at = copyIn(bytes);
		const length = module._web_decode(at, bytes.length, key);
		module._free(at);
		const start = module._web_decoded();
		return decoder.decode(module.HEAPU8.slice(start, start + length));
	}

	function currentKey() {
		const key = Number.parseInt($('key').value, 10);
		return Number.isFinite(key) && key >= 1 ? Math.min(key, 2147483647) : 1;
	}

	function show() {
		$('output').value = decodeWith(currentKey());
	}

	function findKeys() {
		const bytes = textBytes();
		const at = copyIn(bytes);
		const found = module._web_find_keys(at, bytes.length, 10);
		module._free(at);
		const list = $('candidates');
		list.replaceChildren();
		for (let i = 0; i < found; i++) {
			const key = module._web_key(i);
			const score = module._web_score(i);
			const item = document.createElement('li');
			const button = document.createElement('button');
			button.type = 'button';
			button.dataset.key = String(key);
			button.textContent = `key ${key} (${score.toFixed(2)}): ${decodeWith(key).slice(0, 60)}`;
			button.addEventListener('click', () => {
				$('key').value = String(key);
				show();
			});
			item.append(button);
			list.append(item);
		}
		$('candidates-box').hidden = found === 0;
		if (found > 0) {
			$('key').value = String(module._web_key(0));
			show();
		}
	}

	function runCases(bytes) {
		const input = copyIn(bytes);
		const room = bytes.length + 16;
		const output = module._malloc(room);
		const status = module._web_run_cases(input, bytes.length, output, room);
		const written = module._web_run_written();
		const result = module.HEAPU8.slice(output, output + written);
		module._free(input);
		module._free(output);
		$('cases-output').textContent = decoder.decode(result);
		const link = $('download');
		if (link.href.startsWith('blob:'))
			URL.revokeObjectURL(link.href);
		link.href = URL.createObjectURL(new Blob([result], { type: 'application/octet-stream' }));
		link.hidden = false;
		const lines = result.filter((b) => b === 10).length;
		let how;
		if (module._web_run_ended_at_zero())
			how = `The run ended at the key 0, with ${module._web_run_unread()} bytes after it left unread.`;
		else if (status === 0)
			how = 'The input ended without the key 0; every case in it was decoded.';
		else
			how = 'The run stopped at a key line with no number in it.';
		$('cases-status').textContent = `${how} ${lines} lines written. Exit status ${status}.`;
		$('cases-status').dataset.status = String(status);
	}

	$('text').addEventListener('input', show);
	$('key').addEventListener('input', show);
	$('find').addEventListener('click', findKeys);
	$('cases-file').addEventListener('change', async () => {
		const file = $('cases-file').files[0];
		if (file)
			runCases(new Uint8Array(await file.arrayBuffer()));
	});
	show();
	document.body.dataset.ready = 'true';
});
