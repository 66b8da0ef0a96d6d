// The keyed search from the page: run in a worker, so that the page stays
// responsive for the seconds it takes, with its progress shown and a
// button to stop it and keep the best order found so far.
'use strict';

// The seed untranspose-key --keyed takes by default, so that the page
// finds what the program finds.
const SEED = 1;
const ANSWERS = 10;

// `textBytes` gives the text to search; `showAnswers` is handed the
// answers, best first, the text they were found for, and the language
// chosen, if `readLanguage` asked for a choice (-1) among `languages`.
function setUpSolve(textBytes, showAnswers, readLanguage, languages) {
	const $ = (id) => document.getElementById(id);
	const line = $('solve-status');
	const progress = $('progress');
	let worker = null;

	function finish() {
		worker.terminate();
		URL.revokeObjectURL(worker.url);
		worker = null;
		progress.hidden = true;
		// A keyboard's focus goes where it came from.
		const focused = document.activeElement === $('stop');
		$('stop').hidden = true;
		$('solve').disabled = false;
		if (focused)
			$('solve').focus();
	}


	function solve() {
		const { bytes } = textBytes();
		const searched = $('text').value;
		const language = readLanguage();
		const best = (answer) => `best so far ${answer.score.toFixed(2)} with ${count(answer.columns, 'column')}` +
			(language < 0 ? ` in ${languages[answer.language].name}` : '');
		worker = startUntransposeWorker();
		const focused = document.activeElement === $('solve');
		$('solve').disabled = true;
		$('stop').hidden = false;
		if (focused)
			$('stop').focus();
		progress.value = 0;
		progress.hidden = false;
		line.textContent = 'Searching keyed orders…';
		worker.onmessage = ({ data }) => {
			if (data.kind === 'searching') {
				progress.value = data.progress;
				const where = language < 0 ? ` in ${languages[data.language].name}` : '';
				line.textContent = `Searching ${count(data.columns, 'column')}${where}; ` +
					(data.best ? best(data.best) : 'nothing found yet') + '.';
				return;
			}
			finish();
			if (data.kind === 'failed') {
				line.textContent = `The search failed: ${data.message}.`;
				return;
			}
			const how = data.stopped ? 'Stopped' : 'Searched';
			line.textContent = `${how} in ${data.seconds.toFixed(1)} s.`;
			showAnswers(data.answers, searched, language < 0 && data.answers.length > 0 ?
				languages[data.answers[0].language].name : '', data.stopped);
		};
		worker.onerror = (event) => {
			event.preventDefault();
			finish();
			line.textContent = `The search failed: ${event.message || 'the worker stopped'}.`;
		};
		const searchedIn = language < 0 ? languages.map((_, i) => i) : [language];
		worker.postMessage({ kind: 'solve', text: bytes, cribs: new TextEncoder().encode($('crib').value),
			languages: searchedIn, seed: SEED, answers: ANSWERS });
	}

	$('solve').addEventListener('click', solve);
	$('stop').addEventListener('click', () => worker?.postMessage({ kind: 'stop' }));
}
