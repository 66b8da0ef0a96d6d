// Case files: run in a worker through the filter's case loop, so that a
// file of any size neither freezes the page nor has to fit in it.  The page
// shows the first part of the output and offers all of it for download.
'use strict';

// The output a run may keep; a file whose output is larger is refused.  A
// test may lower it with the body's data-most-output attribute.
const MOST_OUTPUT = 2 ** 31;
// How much of the output the page shows.
const PREVIEW_BYTES = 1 << 16;

function setUpCaseFiles() {
	const $ = (id) => document.getElementById(id);
	const status = $('cases-status');
	const progress = $('cases-progress');
	let worker = null;

	function stopWorker() {
		if (worker === null)
			return;
		worker.terminate();
		URL.revokeObjectURL(worker.url);
		worker = null;
	}

	// What happened, in words, as the filter's exit status alone cannot say.
	function outcome(result) {
		if (result.readError)
			return `The file could not be read to its end (${result.readError}).`;
		if (result.endedAtZero)
			return `The run ended at the key 0, with ${count(result.unread, 'byte')} after it left unread.`;
		if (result.status === 0 && result.lines === 0 && result.sawSign) {
			const why = result.byteOrderMark ?
				'The file starts with a byte order mark (EF BB BF), which the filter reads as a key line with no number' :
				'The first key line holds no number';
			return `${why}, so the run stopped before the first case.`;
		}
		if (result.status === 0)
			return 'The input ended without the key 0; every case in it was decoded.';
		return `The run stopped at a key line with no number in it, after ${count(result.lines, 'case')}.`;
	}

	function finish(file, result) {
		stopWorker();
		progress.hidden = true;
		if (result.kind === 'failed') {
			status.textContent = `The file could not be run: ${result.message}. Nothing else has changed.`;
			status.dataset.status = 'refused';
			return;
		}
		if (result.tooLarge) {
			status.textContent = `${file.name} writes more than ${count(result.mostOutput, 'byte')}, more than ` +
				'this page keeps; nothing else has changed. The untranspose program runs files of any size.';
			status.dataset.status = 'refused';
			return;
		}
		showBytes($('cases-output'), result.preview);
		$('cases-shown').textContent = result.written > result.preview.length ?
			`Shown: the first ${count(result.preview.length, 'byte')} of ${count(result.written, 'byte')}; ` +
			'the download holds them all.' : '';
		const link = $('download');
		if (link.href.startsWith('blob:'))
			URL.revokeObjectURL(link.href);
		link.href = URL.createObjectURL(result.output);
		link.hidden = false;
		status.textContent = `${outcome(result)} ${count(result.lines, 'line')} written. Exit status ${result.status}.`;
		status.dataset.status = String(result.status);
	}

	function run(file) {
		stopWorker();
		worker = startUntransposeWorker();
		status.textContent = `Running ${file.name}…`;
		delete status.dataset.status;
		progress.value = 0;
		progress.hidden = false;
		worker.onmessage = ({ data }) => {
			if (data.kind === 'progress')
				progress.value = data.size > 0 ? data.read / data.size : 1;
			else
				finish(file, data);
		};
		worker.onerror = (event) => {
			event.preventDefault();
			finish(file, { kind: 'failed', message: event.message || 'the worker stopped' });
		};
		const most = Number(document.body.dataset.mostOutput) || MOST_OUTPUT;
		worker.postMessage({ kind: 'cases', file, mostOutput: most, previewBytes: PREVIEW_BYTES });
	}

	const input = $('cases-file');
	input.addEventListener('change', () => {
		const file = input.files[0];
		// Cleared, so that choosing the same file again runs it again.
		input.value = '';
		if (file)
			run(file);
	});
}
