// The page in headless Chromium (Debian's), driven by puppeteer-core: one
// text decoded as it is typed, the key of an English text found, and case
// files run through the filter's own case loop, byte for byte, all with no
// request beyond the page's own files.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
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

test('a 9,999-letter text: its key in under a second, and typing never stalls', async () => {
	const { plain, cipher } = longCipher();
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
});

// What the page offers for download after loading `file`.
async function runFile(file) {
	const input = await page.$('#cases-file');
	await page.$eval('#cases-status', (status) => { status.textContent = ''; });
	await input.uploadFile(file);
	await page.waitForFunction(() => document.getElementById('cases-status').textContent !== '');
	const bytes = await page.$eval('#download', async (link) => {
		const buffer = await (await fetch(link.href)).arrayBuffer();
		return Array.from(new Uint8Array(buffer));
	});
	const status = await page.$eval('#cases-status', (s) => s.textContent);
	return { bytes: Buffer.from(bytes), status };
}

test('runs case files through the case loop, byte for byte', async () => {
	const dir = mkdtempSync(join(tmpdir(), 'untranspose-web-'));
	const odd = join(dir, 'odd.txt');
	writeFileSync(odd, Buffer.from('3\r\nabcdefg\r\n2\nab\0cd ef\n2\n\xc3\xa9\xc3\xa8\tx\xff\n-7\nno key\n2\nabcd\n0 rest\n', 'latin1'));
	const cases = [
		[join(source, 'examples', 'sample.txt'), 0],
		[odd, 0],
	];
	for (const [file, status] of cases) {
		const { bytes, status: words } = await runFile(file);
		const native = execFileSync(process.env.UNTRANSPOSE_NATIVE, { input: readFileSync(file) });
		assert.deepEqual(bytes, native, file);
		assert.match(words, new RegExp(`Exit status ${status}\\.$`));
		assert.match(words, /ended at the key 0/);
	}
});

test('makes no network request', () => {
	assert.ok(requests.length > 0);
	for (const url of requests)
		assert.match(url, /^(file|data|blob):/, url);
});
