// What the page runs off its main thread: case files, through the filter's
// case loop, a piece at a time, and the keyed search.  The page builds the
// worker from this function's source and the module's, so the worker needs
// no file of its own and a page opened from disk can start it.
function untransposeWorker() {
	'use strict';
	// The file is read, and the output kept, in pieces of this size.
	const PIECE = 1 << 20;
	const ready = createUntranspose();

	// White space as the case loop skips it before a key.
	const isSpace = (byte) => byte === 0x20 || byte >= 0x09 && byte <= 0x0d;

	function runCases(module, { file, mostOutput, previewBytes }) {
		const reader = new FileReaderSync();
		let piece = new Uint8Array(0);
		let pieceAt = 0;
		let taken = 0;
		let delivered = 0;
		let readError = '';
		let sawSign = false;
		module.readInput = (at, size) => {
			try {
				if (pieceAt === piece.length) {
					if (taken >= file.size)
						return 0;
					piece = new Uint8Array(reader.readAsArrayBuffer(file.slice(taken, taken + PIECE)));
					pieceAt = 0;
					taken += piece.length;
					postMessage({ kind: 'progress', read: taken, size: file.size });
					if (piece.length === 0)
						return 0;
				}
				const bytes = piece.subarray(pieceAt, pieceAt + Math.min(size, piece.length - pieceAt));
				module.HEAPU8.set(bytes, at);
				sawSign ||= bytes.some((byte) => !isSpace(byte));
				pieceAt += bytes.length;
				delivered += bytes.length;
				return bytes.length;
			} catch (error) {
				readError = String(error?.message ?? error);
				return -1;
			}
		};

		// The output is kept in blobs, which the browser may hold on disk,
		// and its first bytes as they are, to be shown.
		const parts = [];
		const chunk = new Uint8Array(PIECE);
		let chunkUsed = 0;
		const preview = new Uint8Array(previewBytes);
		let previewUsed = 0;
		let written = 0;
		let lines = 0;
		let tooLarge = false;
		module.writeOutput = (at, size) => {
			if (written + size > mostOutput) {
				tooLarge = true;
				return false;
			}
			const bytes = module.HEAPU8.subarray(at, at + size);
			for (let i = bytes.indexOf(10); i >= 0; i = bytes.indexOf(10, i + 1))
				lines++;
			const shown = Math.min(size, preview.length - previewUsed);
			preview.set(bytes.subarray(0, shown), previewUsed);
			previewUsed += shown;
			for (let from = 0; from < size;) {
				const take = Math.min(size - from, chunk.length - chunkUsed);
				chunk.set(bytes.subarray(from, from + take), chunkUsed);
				chunkUsed += take;
				from += take;
				if (chunkUsed === chunk.length) {
					parts.push(new Blob([chunk]));
					chunkUsed = 0;
				}
			}
			written += size;
			return true;
		};

		const status = module._web_run_cases();
		const start = new Uint8Array(reader.readAsArrayBuffer(file.slice(0, 3)));
		const result = {
			kind: 'done', status, lines, written, readError, tooLarge, mostOutput,
			endedAtZero: module._web_run_ended_at_zero() === 1,
			unread: file.size - delivered + module._web_run_given_back(),
			sawSign, byteOrderMark: start.length === 3 && start[0] === 0xef && start[1] === 0xbb && start[2] === 0xbf,
			preview: preview.slice(0, previewUsed),
		};
		if (!tooLarge) {
			parts.push(new Blob([chunk.subarray(0, chunkUsed)]));
			result.output = new Blob(parts, { type: 'application/octet-stream' });
		}
		postMessage(result);
	}

	// Lets the worker take the messages that wait for it: a page without
	// cross-origin isolation, as one opened from disk is, cannot share
	// memory with a worker, so a request to stop comes as a message.
	function nextTask() {
		return new Promise((resolve) => {
			const channel = new MessageChannel();
			channel.port1.onmessage = resolve;
			channel.port2.postMessage(null);
		});
	}

	function answersOf(module, language) {
		const answers = [];
		for (let i = 0; i < module._web_solve_answers(); i++) {
			const columns = module._web_answer_columns(i);
			const at = module._web_answer_ranks(i) / 4;
			const ranks = Array.from(module.HEAP32.subarray(at, at + columns));
			const word = module._web_keyword_of(columns);
			const keyword = new TextDecoder().decode(module.HEAPU8.subarray(word, module.HEAPU8.indexOf(0, word)));
			answers.push({ columns, ranks, keyword, language, score: module._web_answer_score(i),
				scored: module._web_answer_quadgrams(i) > 0, cribs: module._web_answer_cribs(i),
				verdict: module._web_answer_verdict(i) });
		}
		return answers;
	}

	// The keyed search, a job at a time, as untranspose-key --jobs 1 runs
	// it.  With more than one language, each is looked at for a few rounds,
	// and the one whose best answer scores highest in its own terms is
	// searched in full, as untranspose-key --lang auto searches.  Between
	// jobs, every 50 ms, it says how far it has gone and looks for a request
	// to stop.
	let stopping = false;

	// The answers as they stand, to be sent with the progress when they
	// changed since last sent, so that the page keeps them if it must stop
	// the worker in the midst of a long job; otherwise none.
	let sent = '';
	function changed(answers) {
		const seen = answers.map((a) => `${a.score} ${a.number ?? a.columns} ${a.ranks} ${a.type}`).join(';');
		if (seen === sent)
			return undefined;
		sent = seen;
		return answers;
	}

	// Copies bytes into the module's memory; the caller frees the block.
	function copyIn(module, bytes) {
		const at = module._malloc(Math.max(bytes.length, 1));
		module.HEAPU8.set(bytes, at);
		return at;
	}

	function setCribs(module, cribs) {
		const at = copyIn(module, cribs);
		module._web_set_cribs(at, cribs.length);
		module._free(at);
	}

	async function solve(module, { text, cribs, languages, seed, answers, rows }) {
		const started = performance.now();
		setCribs(module, cribs);
		const at = copyIn(module, text);
		sent = '';
		const stages = languages.length > 1 ? languages.length + 1 : 1;
		let kept = [];
		let said = performance.now();
		const search = async (language, survey, stage) => {
			if (!module._web_solve_begin(at, text.length, language, seed, answers, survey, rows))
				throw new Error('there was not memory enough for it');
			while (!stopping && module._web_solve_step()) {
				if (performance.now() - said < 50)
					continue;
				const found = answersOf(module, language);
				const standing = kept.length > 0 && (found.length === 0 || kept[0].score >= found[0].score) ? kept : found;
				postMessage({ kind: 'searching', progress: (stage + module._web_solve_progress()) / stages,
					columns: module._web_solve_columns(), language, best: standing[0], answers: changed(standing) });
				await nextTask();
				said = performance.now();
			}
			return answersOf(module, language);
		};
		let chosen = languages[0];
		module._web_survey_begin();
		for (let n = 0; n < languages.length && languages.length > 1 && !stopping; n++) {
			const found = await search(languages[n], true, n);
			if (module._web_survey_better()) {
				kept = found;
				chosen = languages[n];
			}
		}
		if (!stopping) {
			const found = await search(chosen, false, stages - 1);
			// A search stopped early may stand below the look that chose it.
			if (!stopping || kept.length === 0 || (found.length > 0 && found[0].score > kept[0].score))
				kept = found;
		}
		module._free(at);
		postMessage({ kind: 'solved', answers: kept, stopped: stopping,
			seconds: (performance.now() - started) / 1000 });
	}

	const stringAt = (module, at) => new TextDecoder().decode(module.HEAPU8.subarray(at, module.HEAPU8.indexOf(0, at)));

	// The answers shown, each with its type, its language and its
	// decoding of the searched text.
	function shownAnswers(module) {
		const answers = [];
		const ranksOf = (i, second) => {
			const columns = module._web_shown_order(i, second);
			const at = module._web_shown_ranks() / 4;
			return Array.from(module.HEAP32.subarray(at, at + columns));
		};
		for (let i = 0; i < module._web_shown_count(); i++) {
			const length = module._web_shown_decode(i);
			const start = module._web_shown_decoded();
			answers.push({ type: module._web_shown_type(i), number: module._web_shown_number(i),
				offset: module._web_shown_offset(i), route: module._web_shown_route(i), ranks: ranksOf(i, false),
				second: ranksOf(i, true), language: module._web_shown_language(i), score: module._web_shown_score(i),
				scored: module._web_shown_quadgrams(i) > 0, cribs: module._web_shown_cribs(i),
				verdict: module._web_shown_verdict(i), decoded: module.HEAPU8.slice(start, start + length) });
		}
		return answers;
	}

	// The search of one type other than the columns', as untranspose-key
	// --cipher TYPE --jobs 1 runs it, or of every type, as --cipher any
	// runs it, a job at a time, every language in full when asked to
	// choose among them.  Between jobs, every 50 ms, it says how far it
	// has gone and looks for a request to stop; stopped, it answers with
	// what it had found.
	async function solveFamily(module, { type, text, cribs, language, seed, answers }) {
		const started = performance.now();
		setCribs(module, cribs);
		const any = type < 0;
		const search = any ? { step: module._web_any_step, failed: module._web_any_failed, progress: module._web_any_progress,
			doing: module._web_any_doing, show: module._web_any_show } : { step: module._web_family_step,
			failed: module._web_family_failed, progress: module._web_family_progress, doing: module._web_family_doing,
			show: module._web_family_show };
		const at = copyIn(module, text);
		const begun = any ? module._web_any_begin(at, text.length, language, seed, answers) :
			module._web_family_begin(type, at, text.length, language, seed, answers);
		module._free(at);
		if (!begun)
			throw new Error('there was not memory enough for it');
		sent = '';
		let said = performance.now();
		while (!stopping && search.step()) {
			if (performance.now() - said < 50)
				continue;
			const found = search.show();
			let scores = '';
			for (let i = 0; i < found; i++)
				scores += `${module._web_shown_score(i)} ${module._web_shown_number(i)} ${module._web_shown_type(i)};`;
			const answers = scores !== sent ? shownAnswers(module) : undefined;
			sent = scores;
			postMessage({ kind: 'searching', progress: search.progress(), doing: stringAt(module, search.doing()), answers,
				best: found > 0 ? { number: module._web_shown_number(0), score: module._web_shown_score(0),
					language: module._web_shown_language(0),
					title: stringAt(module, module._web_cipher_type_title(module._web_shown_type(0))),
					units: stringAt(module, module._web_cipher_type_units(module._web_shown_type(0))) } : null });
			await nextTask();
			said = performance.now();
		}
		if (search.failed())
			throw new Error('there was not memory enough for it');
		search.show();
		postMessage({ kind: 'solved', answers: shownAnswers(module), stopped: stopping,
			seconds: (performance.now() - started) / 1000 });
	}

	self.onmessage = async ({ data }) => {
		if (data.kind === 'stop') {
			stopping = true;
			return;
		}
		// A request to stop that comes while the module is still being
		// made belongs to this search, not the last.
		stopping = false;
		try {
			const module = await ready;
			if (data.kind === 'solve')
				await solve(module, data);
			else if (data.kind === 'solve-family')
				await solveFamily(module, data);
			else
				runCases(module, data);
		} catch (error) {
			postMessage({ kind: 'failed', message: String(error?.message ?? error) });
		}
	};
}

// Starts a worker running untransposeWorker with the page's module.
function startUntransposeWorker() {
	const source = `const createUntranspose = (${untransposeModule})();\n(${untransposeWorker})();\n`;
	const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
	const worker = new Worker(url);
	worker.url = url;
	return worker;
}
