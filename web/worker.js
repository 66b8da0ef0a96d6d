// What the page runs off its main thread: case files, through the filter's
// case loop, a piece at a time.  The page builds the worker from this
// function's source and the module's, so the worker needs no file of its
// own and a page opened from disk can start it.
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

	self.onmessage = async (event) => {
		try {
			runCases(await ready, event.data);
		} catch (error) {
			postMessage({ kind: 'failed', message: String(error?.message ?? error) });
		}
	};
}
