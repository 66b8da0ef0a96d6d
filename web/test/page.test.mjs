// The page in headless Chromium (Debian's), driven by puppeteer-core: one
// text decoded as it is typed, the key of an English text found, and case
// files run through the filter's own case loop, byte for byte, all with no
// request beyond the page's own files.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const site = process.env.UNTRANSPOSE_SITE;
const source = process.env.UNTRANSPOSE_SOURCE;
const page_url = pathToFileURL(join(site, 'index.html')).href;
const requests = [];
let browser, page;

before(async () => {
	browser = await puppeteer.launch({
		executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
		headless: true,
		args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
			'--disable-background-networking', '--disable-component-update', '--disable-sync',
			`--user-data-dir=${mkdtempSync(join(tmpdir(), 'untranspose-chromium-'))}`],
	});
	page = await browser.newPage();
	page.on('request', (request) => requests.push(request.url()));
	await page.goto(page_url);
	await page.waitForSelector('body[data-ready="true"]');
});

after(async () => {
	await browser?.close();
});

async function typeText(text, key) {
	await page.$eval('#text', (area) => { area.value = ''; });
	await page.type('#text', text);
	if (key !== undefined) {
		await page.$eval('#key', (field) => { field.value = ''; });
		await page.type('#key', String(key));
		await page.$eval('#key', (field) => field.dispatchEvent(new Event('input')));
	}
	return page.$eval('#output', (output) => output.value);
}

test('decodes as the user types', async () => {
	assert.equal(await typeText('acd tka taw atn', 4), 'ATTACKATDAWN');
	assert.equal(await typeText('hlod eorl wl', 3), 'HELLOWORLD');
	assert.equal(await typeText('abcdefg', 3), 'ADFBEGC');
	assert.equal(await typeText('a b c', 1), 'ABC');
});

test('finds the key of an English text', async () => {
	const cipher = 'TOUHN REIHT NLHDI THUIE GRDVE OGLES RSERE MTYTE ROTWI IP.HW TOHFO .MDHI RNOAA OREAA FEAET HTCRS NNFIR INLWH AHKBQ TIELR SSOAT NEE';
	await typeText(cipher);
	await page.click('#find');
	assert.equal(await page.$eval('#key', (field) => field.value), '7');
	assert.equal(await page.$eval('#output', (output) => output.value),
		'THEHARBOURWASQUIETONTHEMORNINGTHEFERRYFAILEDTOARRIVE.FISHERMENSTOODALONGTHEWALLWITHTHEIRHANDSINTHEIRPOCKETS.');
	const candidates = await page.$$eval('#candidates button', (buttons) => buttons.map((b) => b.dataset.key));
	assert.ok(candidates.length > 1 && candidates[0] === '7');
	// A candidate shows its own decoding.
	await page.click(`#candidates li:nth-child(2) button`);
	assert.equal(await page.$eval('#key', (field) => field.value), candidates[1]);
});

test('reads the key field as the number it shows, and says what odd keys do', async () => {
	const text = 'abcdefghijklmnopqrst';
	const asKey = async (key) => typeText(text, key);
	const rows = [
		// typed, decodes as the key, marked invalid, note
		['1e1', 10, false, /^$/],
		['0', 1, true, /^The key 0 ends a file of cases/],
		['', 1, true, /^Give a number of columns/],
		['2.5', 1, true, /^A key is a whole number/],
		['-2', 1, false, /^A negative key describes no grid/],
		['25', 25, false, /^A key of 20 columns or more leaves a text of 20 bytes as it is\.$/],
	];
	for (const [typed, key, invalid, note] of rows) {
		const expected = await asKey(key);
		assert.equal(await asKey(typed), expected, typed);
		assert.equal(await page.$eval('#key', (field) => field.getAttribute('aria-invalid')), invalid ? 'true' : null, typed);
		assert.match(await page.$eval('#key-note', (p) => p.textContent), note, typed);
	}
});

test('announces a summary, not the decoding, and drops candidates when the text changes', async () => {
	assert.equal(await typeText('acd tka taw atn', 4), 'ATTACKATDAWN');
	assert.equal(await page.$eval('#output', (output) => output.getAttribute('aria-live')), 'off');
	assert.equal(await page.$eval('#summary', (p) => p.getAttribute('role') + ': ' + p.textContent),
		'status: decoded, 12 letters, key 4');
	await typeText('hlod eorl wl');
	await page.click('#find');
	assert.equal(await page.$eval('#summary', (p) => p.textContent), 'found the key 3; decoded, 10 letters');
	assert.ok(await page.$eval('#candidates', (list) => list.children.length > 1));
	await page.type('#text', 'x');
	assert.equal(await page.$eval('#candidates', (list) => list.children.length), 0);
	assert.ok(await page.$eval('#candidates-box', (box) => box.hidden));
	// A text with no letters to score lists no candidates.
	await typeText('12 34');
	await page.click('#find');
	assert.ok(await page.$eval('#candidates-box', (box) => box.hidden));
	assert.match(await page.$eval('#candidates-note', (p) => p.textContent), /no four letters to score/);
});

// A 9,999-letter English text, enciphered with the key 17.
function longCipher() {
	const english = readFileSync(join(source, 'tests', 'data', 'english.txt'), 'latin1');
	let plain = '';
	for (let i = 0; plain.length < 9999; i = (i + 1) % english.length)
		if (/[a-zA-Z]/.test(english[i]))
			plain += english[i].toUpperCase();
	let cipher = '';
	for (let c = 0; c < 17; c++)
		for (let p = c; p < plain.length; p += 17)
			cipher += plain[p];
	return { plain, cipher };
}

test('a 9,999-letter text in groups of five: its key in under a second, and typing never stalls', async () => {
	const { plain, cipher: letters } = longCipher();
	// 11,998 bytes: too long for a case until its spaces are dropped.
	const cipher = letters.match(/.{1,5}/g).join(' ');
	const typing = await page.$eval('#text', (area, text) => {
		area.value = text;
		const start = performance.now();
		area.dispatchEvent(new Event('input'));
		return performance.now() - start;
	}, cipher);
	const finding = await page.$eval('#find', (button) => {
		const start = performance.now();
		button.click();
		return performance.now() - start;
	});
	console.log(`decoding on input: ${typing.toFixed(1)} ms; finding the key: ${finding.toFixed(1)} ms`);
	assert.ok(typing < 50, `decoding on input took ${typing} ms`);
	assert.ok(finding < 1000, `finding the key took ${finding} ms`);
	assert.equal(await page.$eval('#key', (field) => field.value), '17');
	assert.equal(await page.$eval('#output', (output) => output.value), plain);
	assert.match(await page.$eval('#text-note', (p) => p.textContent), /^The text is 11,998 bytes, .*its spaces were dropped first/);
	// Past 9,999 bytes without its spaces, a text is cut as the filter cuts it.
	await page.$eval('#text', (area, text) => {
		area.value = text;
		area.dispatchEvent(new Event('input'));
	}, letters + 'x y');
	assert.match(await page.$eval('#text-note', (p) => p.textContent), /and 10,001 bytes without its spaces: only its first 9,999 bytes are decoded/);
});

// What the page says and offers for download after running `file`.
async function runFile(file) {
	const input = await page.$('#cases-file');
	await page.$eval('#cases-status', (status) => { delete status.dataset.status; });
	await input.uploadFile(file);
	await page.waitForSelector('#cases-status[data-status]', { timeout: 60000 });
	const bytes = await page.$eval('#download', async (link) => {
		const buffer = await (await fetch(link.href)).arrayBuffer();
		return Array.from(new Uint8Array(buffer));
	});
	const status = await page.$eval('#cases-status', (s) => s.textContent);
	return { bytes: Buffer.from(bytes), status };
}

const scratch = mkdtempSync(join(tmpdir(), 'untranspose-web-'));
function caseFile(name, bytes) {
	const path = join(scratch, name);
	writeFileSync(path, bytes);
	return path;
}

test('runs case files through the case loop, byte for byte, and says how the run ended', async () => {
	const odd = Buffer.from('3\r\nabcdefg\r\n2\nab\0cd ef\n2\n\xc3\xa9\xc3\xa8\tx\xff\n-7\nno key\n2\nabcd\n0 rest\n', 'latin1');
	const sample = join(source, 'examples', 'sample.txt');
	const cases = [
		['sample', sample, /^The run ended at the key 0, with 1 byte after it left unread\. 5 lines written\. Exit status 0\.$/],
		['the same file again', sample, /ended at the key 0.* Exit status 0\.$/],
		['odd bytes', caseFile('odd.txt', odd), /ended at the key 0, with 6 bytes after it left unread\. 5 lines written\. Exit status 0\.$/],
		['no key 0', caseFile('open.txt', '4\nacd tka taw atn\n'), /^The input ended without the key 0; every case in it was decoded\. 1 line written\./],
		['a first key line with no number', caseFile('x.txt', 'x\nabc\n0\n'), /^The first key line holds no number, so the run stopped before the first case\. 0 lines/],
		['a byte order mark', caseFile('bom.txt', '\ufeff4\nacd tka taw atn\n0\n'), /^The file starts with a byte order mark \(EF BB BF\).*stopped before the first case\./],
		['a later key line with no number', caseFile('late.txt', '2\nabcd\nx\n'), /^The run stopped at a key line with no number in it, after 1 case\. .*Exit status 1\.$/],
	];
	for (const [name, file, words] of cases) {
		const { bytes, status } = await runFile(file);
		const native = spawnSync(process.env.UNTRANSPOSE_NATIVE, { input: readFileSync(file) });
		assert.deepEqual(bytes, native.stdout, name);
		assert.match(status, words, name);
		assert.match(status, new RegExp(`Exit status ${native.status}\\.$`), name);
	}
	// Bytes that are not text are shown for what they are.
	await runFile(caseFile('bytes.txt', Buffer.from('1\n\xffa\n1\na\rb\n1\n\xc3\xa9\n0\n', 'latin1')));
	assert.equal(await page.$eval('#cases-output', (pre) => pre.textContent), '\\xFFA\nA\\x0DB\n\u00e9\n');
});

test('refuses a file whose output the page cannot keep, and changes nothing else', async () => {
	const before = await runFile(join(source, 'examples', 'sample.txt'));
	const link = await page.$eval('#download', (a) => a.href);
	await page.$eval('body', (body) => { body.dataset.mostOutput = '10'; });
	const refused = await runFile(join(source, 'examples', 'sample.txt'));
	await page.$eval('body', (body) => { delete body.dataset.mostOutput; });
	assert.match(refused.status, /more than 10 bytes, more than this page keeps; nothing else has changed/);
	assert.equal(await page.$eval('#download', (a) => a.href), link);
	assert.deepEqual(refused.bytes, before.bytes);
	assert.equal(await typeText('hlod eorl wl'), 'HLODEORLWL');
	await page.click('#find');
	assert.equal(await page.$eval('#key', (field) => field.value), '3');
});

test('a 40 MB case file runs off the main thread, with progress', async () => {
	const cases = Buffer.alloc(40 * 1024 * 1024, '3\nabcdef\n');
	const file = caseFile('large.txt', Buffer.concat([cases, Buffer.from('\n0\n')]));
	const input = await page.$('#cases-file');
	await page.$eval('#cases-status', (status) => { delete status.dataset.status; });
	await input.uploadFile(file);
	// Input events are handled at once while the file runs, and the
	// progress bar moves.
	const seen = await page.evaluate(async () => {
		const area = document.getElementById('text');
		const progress = document.getElementById('cases-progress');
		const status = document.getElementById('cases-status');
		let slowest = 0, events = 0, highest = 0, during = 0;
		while (status.dataset.status === undefined) {
			const start = performance.now();
			area.value = `acd tka taw atn ${events++}`;
			area.dispatchEvent(new Event('input'));
			slowest = Math.max(slowest, performance.now() - start);
			const tick = performance.now();
			await new Promise((resolve) => setTimeout(resolve, 10));
			slowest = Math.max(slowest, performance.now() - tick - 10);
			if (!progress.hidden) {
				highest = Math.max(highest, progress.value);
				during++;
			}
		}
		return { slowest, events, highest, during };
	});
	console.log(`40 MB case file: ${seen.events} input events, the slowest handled in ${seen.slowest.toFixed(1)} ms`);
	assert.ok(seen.slowest < 100, `an input event waited ${seen.slowest} ms`);
	assert.ok(seen.during > 1 && seen.highest > 0, 'the progress bar moved');
	const digest = await page.$eval('#download', async (link) => {
		const buffer = await (await fetch(link.href)).arrayBuffer();
		return Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', buffer)));
	});
	const native = execFileSync(process.env.UNTRANSPOSE_NATIVE, { input: readFileSync(file), maxBuffer: 1 << 27 });
	assert.equal(Buffer.from(digest).toString('hex'), createHash('sha256').update(native).digest('hex'));
	assert.equal(await page.$eval('#cases-shown', (p) => p.textContent),
		`Shown: the first 65,536 bytes of ${native.length.toLocaleString('en')} bytes; the download holds them all.`);
});

test('makes no network request', () => {
	assert.ok(requests.length > 0);
	for (const url of requests)
		assert.match(url, /^(file|data|blob):/, url);
});
