// The searches from the page, the keyed columns' and every other type's:
// run in a worker, so that the page stays responsive for the seconds they
// take, with their progress shown and a button to stop them and keep the
// best keys found so far.
'use strict';

// The seed untranspose-key --keyed takes by default, so that the page
// finds what the program finds.
const SEED = 1;
const ANSWERS = 10;
// How long, in milliseconds, Stop waits for the search to end between
// jobs before it stops the worker.
const STOP_WAIT = 300;

// `textBytes` gives the text to search and `chosenType` its type;
// `showAnswers` is handed the answers, best first, the text they were
// found for, the language chosen, if `readLanguage` asked for a choice
// (-1) among `languages`, whether the search was stopped, and the type.
function setUpSolve(textBytes, chosenType, showAnswers, readLanguage, languages) {
	const $ = (id) => document.getElementById(id);
	const line = $('solve-status');
	const progress = $('progress');
	// One worker serves every search, started with the page, so that a
	// search does not wait for the module to be made again; it is made
	// anew only after it fails.
	let worker = startUntransposeWorker();
	// The search under way: the answers as they last stood, and what to
	// do with them if it must be stopped in the midst of a long job.
	let running = null;

	function finish(failed = false) {
		clearTimeout(running?.stopTimer);
		running = null;
		if (failed) {
			worker.terminate();
			URL.revokeObjectURL(worker.url);
			worker = startUntransposeWorker();
		}
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
		const type = chosenType();
		const family = type.family;
		const best = (answer) => `best so far ${answer.score.toFixed(2)} with ` +
			count(answer.number ?? answer.columns, (answer.units ?? 'columns').replace(/s$/, '')) +
			(type.any ? ` (${answer.title})` : '') +
			(language < 0 && answer.language !== undefined ? ` in ${languages[answer.language].name}` : '');
		const focused = document.activeElement === $('solve');
		$('solve').disabled = true;
		$('stop').hidden = false;
		if (focused)
			$('stop').focus();
		progress.value = 0;
		progress.hidden = false;
		line.textContent = type.any ? 'Searching every type…' : family ? `Searching for the key of a ${type.title}…` :
			'Searching keyed orders…';
		// A search of one type in one language has no measure of how far
		// it has gone.
		const measured = !family || type.any || language < 0;
		if (!measured)
			progress.removeAttribute('value');
		const started = performance.now();
		const answered = (answers, stopped, seconds) => {
			line.textContent = `${stopped ? 'Stopped' : 'Searched'} in ${seconds.toFixed(1)} s.`;
			showAnswers(answers, searched, language < 0 && answers.length > 0 ? languages[answers[0].language].name : '',
				stopped, type);
		};
		running = { standing: [], stopTimer: 0, answered: (answers) => answered(answers, true, (performance.now() - started) / 1000) };
		worker.onmessage = ({ data }) => {
			// A message the worker sent before it was stopped.
			if (running === null)
				return;
			if (data.kind === 'searching') {
				if (data.answers)
					running.standing = data.answers;
				if (measured)
					progress.value = data.progress;
				const where = language < 0 && !family ? ` in ${languages[data.language].name}` : '';
				const doing = family ? data.doing || `for the key of a ${type.title}` : count(data.columns, 'column');
				line.textContent = `Searching ${doing}${where}; ` + (data.best ? best(data.best) : 'nothing found yet') + '.';
				return;
			}
			finish(data.kind === 'failed');
			if (data.kind === 'failed') {
				line.textContent = `The search failed: ${data.message}.`;
				return;
			}
			answered(data.answers, data.stopped, data.seconds);
		};
		worker.onerror = (event) => {
			event.preventDefault();
			finish(true);
			line.textContent = `The search failed: ${event.message || 'the worker stopped'}.`;
		};
		const cribs = new TextEncoder().encode($('crib').value);
		if (family) {
			worker.postMessage({ kind: 'solve-family', type: type.index, text: bytes, cribs, language, seed: SEED,
				answers: ANSWERS });
			return;
		}
		const searchedIn = language < 0 ? languages.map((_, i) => i) : [language];
		worker.postMessage({ kind: 'solve', text: bytes, cribs, languages: searchedIn, seed: SEED, answers: ANSWERS,
			rows: type.rows });
	}

	$('solve').addEventListener('click', solve);
	// A search stops between two jobs; one that is in the midst of a long
	// job, a pair of wide keys, say, is stopped with its worker, and the
	// answers last sent are kept.
	$('stop').addEventListener('click', () => {
		if (running === null || running.stopTimer)
			return;
		worker.postMessage({ kind: 'stop' });
		const stopped = running;
		stopped.stopTimer = setTimeout(() => {
			if (running !== stopped)
				return;
			finish(true);
			stopped.answered(stopped.standing);
		}, STOP_WAIT);
	});
}
