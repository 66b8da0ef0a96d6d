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
const native = (program) => join(process.env.UNTRANSPOSE_NATIVE, program);
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
	await page.$eval('#keyword', (field) => { field.value = ''; });
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

test('a text over several lines is one text, its line ends dropped, as --paragraphs reads a paragraph', async () => {
	assert.equal(await typeText('acd tka\ntaw a\ntn', 4), 'ATTACKATDAWN');
	const lines = 'TOUHNREIHTNLHDITHUIEGRDVEOGLESRS\nERE MTYTE ROTWIIP.HW\nTOHFO.MDHIRNOAAOREAAFEAETHTCRSNNFIRINLWHAHKBQ\nTIELRSSOATNEE';
	await typeText(lines);
	await page.click('#find');
	const native_decoding = execFileSync(native('untranspose-key'), ['--paragraphs', '--decode'], { input: lines + '\n' });
	assert.equal(await value('#output') + '\n', native_decoding.toString('latin1'));
});

// Presses `button` with "Any of them" chosen, waits for `ended`, and
// chooses English again.
async function pressInAnyLanguage(button, ended = async () => {}) {
	await page.select('#lang', 'auto');
	await page.click(button);
	await ended();
	await page.select('#lang', '0');
}

test('finds the language too, when asked to choose', async () => {
	const german = 'gtenu ntadn reann eebta hieti emdis sgine ddbnr dcecg ansdz esesn zneur eiehi kegkb iufeh aswni ' +
		'naier snnkl oenir rmaee ndcnf itgma eolgm uldsi rhshe mnuei mitae wnaas muuit niwcw';
	await typeText(german);
	await pressInAnyLanguage('#find');
	assert.equal(await page.$eval('#key', (field) => field.value), '7');
	assert.match(await page.$eval('#summary', (p) => p.textContent), /^found the key 7 in German; decoded, 150 letters$/);
	assert.match(await page.$eval('#output', (output) => output.value), /^GEGENMITTAGKAMEINKLEINESBOOT/);
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

// `count` letters of held-out English, upper-cased, from letter `from` on.
function englishLetters(count, from = 0) {
	const english = readFileSync(join(source, 'tests', 'data', 'english.txt'), 'latin1').replace(/[^a-zA-Z]/g, '');
	let letters = '';
	while (letters.length < from + count)
		letters += english;
	return letters.slice(from, from + count).toUpperCase();
}

// A 9,999-letter English text, enciphered with the key 17.
function longCipher() {
	const plain = englishLetters(9999);
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

// Whether the main thread took input events at once: each wait is an
// event's handling and how late the event loop came back after it.  A
// blocked page waits for seconds; on two busy cores the browser's other
// processes may delay a tick now and then, so one in twenty may take
// longer than 100 ms, and none half a second.
function promptly(what, waits) {
	const sorted = [...waits].sort((a, b) => a - b);
	const late = waits.filter((wait) => wait > 100).length;
	console.log(`${what}: ${waits.length} input events, median ${sorted[sorted.length >> 1].toFixed(1)} ms, ` +
		`slowest ${sorted.at(-1).toFixed(1)} ms, ${late} over 100 ms`);
	assert.ok(waits.length > 0);
	assert.ok(late * 20 <= waits.length, `${late} of ${waits.length} input events waited over 100 ms`);
	assert.ok(sorted.at(-1) < 500, `an input event waited ${sorted.at(-1)} ms`);
}

async function setField(id, value) {
	await page.$eval(id, (field, v) => {
		field.value = v;
		field.dispatchEvent(new Event('input'));
	}, value);
}

const value = (id) => page.$eval(id, (field) => field.value);

test('decodes with a keyword or an order as it is typed', async () => {
	const cipher = 'EVLNA CDTES EAROF ODEEC WIREE';
	await typeText(cipher);
	for (const keyword of ['zebras', '6,3,2,4,1,5']) {
		await setField('#keyword', keyword);
		assert.equal(await value('#output'), 'WEAREDISCOVEREDFLEEATONCE', keyword);
		assert.equal(await value('#key'), '6', keyword);
		assert.equal(await page.$eval('#keyword', (f) => f.getAttribute('aria-invalid')), null, keyword);
	}
	await setField('#keyword', '1,1');
	assert.equal(await page.$eval('#keyword', (f) => f.getAttribute('aria-invalid')), 'true');
	assert.match(await page.$eval('#keyword-note', (p) => p.textContent), /^An order is the ranks 1 to K/);
	// The key field, typed in, reads the columns from left to right again.
	await setField('#key', '5');
	assert.equal(await value('#keyword'), '');
	const filter = execFileSync(native('untranspose'), { input: `5\n${cipher}\n0\n` }).toString();
	assert.equal(await value('#output') + '\n', filter);
});

test('the encoder writes what transpose writes', async () => {
	const plain = 'we are discovered flee at once\nThe harbour was quiet, that morning.';
	await setField('#plain', plain);
	for (const [key, args] of [['ZEBRAS', ['--keyword', 'ZEBRAS']], ['7', ['--key', '7']], ['3,1,2', ['--order', '3,1,2']]]) {
		for (const groups of [false, true]) {
			await setField('#plain-key', key);
			await page.$eval('#groups', (box, on) => {
				box.checked = on;
				box.dispatchEvent(new Event('input'));
			}, groups);
			const written = execFileSync(native('transpose'), [...args, ...(groups ? ['--groups', '5'] : [])],
				{ input: plain + '\n' });
			assert.equal(await value('#cipher') + '\n', written.toString('latin1'), `${key} ${groups}`);
		}
	}
});

test('the encoder takes each type of the list, with the key options it takes, as transpose does', async () => {
	const plain = 'we are discovered flee at once\nThe harbour was quiet, that morning.';
	await setField('#plain', plain);
	await page.$eval('#groups', (box) => {
		box.checked = false;
		box.dispatchEvent(new Event('input'));
	});
	const listed = execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim());
	const choices = await page.$$eval('#plain-cipher-type option', (options) => options.map((option) => option.value));
	assert.equal(choices.length, listed.length);
	for (let i = 1; i < listed.length; i++) {
		await page.select('#plain-cipher-type', String(i));
		const label = await page.$eval('#plain-key-label', (l) => l.textContent);
		const [key, args] = /^Number/.test(label) ? ['5', ['--key', '5']] : /^Two/.test(label) ?
			['TOMATO ZEBRAS', ['--keyword', 'TOMATO', '--keyword', 'ZEBRAS']] : ['TOMATO', ['--keyword', 'TOMATO']];
		await setField('#plain-key', key);
		const shown = async (id) => !(await page.$eval(id, (box) => box.hidden));
		if (await shown('#plain-offset-box')) {
			const start = /^Start/.test(await page.$eval('#plain-offset-label', (l) => l.textContent));
			await setField('#plain-offset', start ? '2' : '3');
			args.push(start ? '--start' : '--offset', start ? '2' : '3');
		}
		if (await shown('#plain-route-box')) {
			await page.select('#plain-route', '2');
			await page.select('#plain-corner', '3');
			args.push('--route', 'snake', '--corner', 'br');
		}
		const written = execFileSync(native('transpose'), ['--cipher', listed[i], ...args],
			{ input: plain + '\n', stdio: ['pipe', 'pipe', 'ignore'] });
		assert.equal(await value('#cipher') + '\n', written.toString('latin1'), listed[i]);
		await setField('#plain-offset', '0');
	}
	await page.select('#plain-cipher-type', '0');
	await setField('#plain-key', 'ZEBRAS');
});

test('decodes each type of the list with its key fields as untranspose-key --decode does', async () => {
	const plain = 'we are discovered flee at once, the harbour was quiet that morning';
	const listed = execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim());
	// The search's choice is the encoder's, and any type besides.
	assert.deepEqual(await page.$$eval('#cipher-type option', (options) => options.map((option) => option.textContent)),
		[...await page.$$eval('#plain-cipher-type option', (options) => options.map((option) => option.textContent)),
			'Any type in the list']);
	for (let i = 2; i < listed.length; i++) {
		await page.select('#cipher-type', String(i));
		const numbered = !(await page.$eval('#key-box', (box) => box.hidden));
		const two = /^Two/.test(await page.$eval('#keyword-label', (l) => l.textContent));
		const args = numbered ? ['--key', '5'] : two ? ['--keyword', 'TOMATO', '--keyword', 'ZEBRAS'] : ['--keyword', 'TOMATO'];
		const offset = !(await page.$eval('#offset-box', (box) => box.hidden));
		const start = /^Start/.test(await page.$eval('#offset-label', (l) => l.textContent));
		if (offset)
			args.push(start ? '--start' : '--offset', start ? '2' : '3');
		const routed = !(await page.$eval('#route-box', (box) => box.hidden));
		if (routed)
			args.push('--route', 'spiral-ccw', '--corner', 'bl');
		const cipher = execFileSync(native('transpose'), ['--cipher', listed[i], ...args],
			{ input: plain + '\n', stdio: ['pipe', 'pipe', 'ignore'] }).toString('latin1').trim();
		await page.$eval('#text', (area, text) => { area.value = text; }, cipher);
		if (offset)
			await setField('#offset', start ? '2' : '3');
		if (routed) {
			await page.select('#route', '1');
			await page.select('#corner', '2');
		}
		await setField(numbered ? '#key' : '#keyword', numbered ? '5' : two ? 'TOMATO ZEBRAS' : 'TOMATO');
		const decoded = execFileSync(native('untranspose-key'), ['--cipher', listed[i], ...args, '--decode'],
			{ input: cipher + '\n' }).toString('latin1');
		assert.equal(await value('#output') + '\n', decoded, listed[i]);
		assert.equal(await page.$eval('#find', (button) => button.disabled), i > 1, `${listed[i]}: found by columns alone`);
		await setField('#offset', '0');
	}
	await page.select('#cipher-type', '0');
	await page.$eval('#keyword', (field) => { field.value = ''; });
	assert.equal(await typeText('acd tka taw atn', 4), 'ATTACKATDAWN');
});

test('every type in the list of cipher types enciphers in the page as transpose does, and deciphers back', async () => {
	const plain = 'we are discovered flee at once, the harbour was quiet that morning';
	const made = await page.evaluate(async (plain) => {
		const module = await untransposeModule()();
		const results = [];
		for (let i = 0; i < module._web_cipher_type_count(); i++) {
			const name = moduleString(module, module._web_cipher_type_name(i));
			const options = module._web_cipher_type_options(i);
			// A keyword with a repeated letter, which ties for a type whose ranks may.
			const key = (options & 1) ? '' : module._web_cipher_type_keys(i) === 2 ? 'TOMATO ZEBRAS' : 'TOMATO';
			const offset = (options & 4) ? 3 : 0;
			const text = copyToModule(module, new TextEncoder().encode(plain));
			const word = copyToModule(module, new TextEncoder().encode(key));
			const run = (at, size, decipher) => {
				const length = module._web_cipher_transform(i, at, size, 5, word, key.length, offset, 0, decipher);
				return new TextDecoder('latin1').decode(module.HEAPU8.slice(module._web_cipher_output(),
					module._web_cipher_output() + length));
			};
			const cipher = run(text, plain.length, false);
			const back = copyToModule(module, new TextEncoder().encode(cipher));
			results.push({ name, options, keys: module._web_cipher_type_keys(i), cipher, back: run(back, cipher.length, true) });
			module._free(text);
			module._free(word);
			module._free(back);
		}
		return results;
	}, plain);
	assert.deepEqual(made.map((type) => type.name),
		execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim()));
	for (const type of made) {
		const keywords = type.keys === 2 ? ['--keyword', 'TOMATO', '--keyword', 'ZEBRAS'] : ['--keyword', 'TOMATO'];
		const args = ['--cipher', type.name, ...((type.options & 1) ? ['--key', '5'] : keywords),
			...((type.options & 4) ? ['--offset', '3'] : [])];
		assert.equal(type.cipher + '\n', execFileSync(native('transpose'), args, { input: plain + '\n' }).toString(), type.name);
		assert.equal(type.back, plain.replace(/ /g, '').toUpperCase(), type.name);
	}
});

// A random order of `columns` columns, as ranks, the same every run.
function randomOrder(columns, seed) {
	const ranks = Array.from({ length: columns }, (_, i) => i + 1);
	for (let i = columns - 1; i > 0; i--) {
		seed = (seed * 1103515245 + 12345) % 2147483648;
		const j = seed % (i + 1);
		[ranks[i], ranks[j]] = [ranks[j], ranks[i]];
	}
	return ranks.join(',');
}

function keyedCipher(plain, order) {
	return execFileSync(native('transpose'), ['--order', order, '--groups', '5'], { input: plain + '\n' }).toString().trim();
}

async function searchEnds() {
	await page.waitForFunction(() => !document.getElementById('solve').disabled, { timeout: 60000 });
}

test('a keyed search of 12 columns and 15 rows: solved as untranspose-key solves it, within 10 s', async () => {
	const plain = englishLetters(174, 3000);
	const order = randomOrder(12, 7);
	const cipher = keyedCipher(plain, order);
	await typeText(cipher);
	const start = Date.now();
	await page.click('#solve');
	await searchEnds();
	const seconds = (Date.now() - start) / 1000;
	const nativeStart = Date.now();
	const cases = execFileSync(native('untranspose-key'), ['--keyed', '--jobs', '1', '--top', '3'], { input: cipher + '\n' });
	const nativeSeconds = (Date.now() - nativeStart) / 1000;
	console.log(`12-column keyed search: ${seconds.toFixed(2)} s in the page, ${nativeSeconds.toFixed(2)} s natively`);
	assert.ok(seconds < 10, `the search took ${seconds} s`);
	assert.equal(await value('#output'), plain);
	assert.equal(await value('#key'), '12');
	assert.equal(await value('#keyword'), order);
	// The page's best three are the program's, in its order.
	const decodings = execFileSync(native('untranspose'), { input: cases }).toString().trim().split('\n');
	for (let i = 0; i < 3; i++) {
		await page.click(`#candidates li:nth-child(${i + 1}) button`);
		assert.equal(await value('#output'), decodings[i], `candidate ${i + 1}`);
	}
	assert.match(await page.$eval('#candidates li:first-child button', (b) => b.textContent),
		new RegExp(`^12 columns, order ${order}, keyword [A-L]{12} \\(-[0-9.]+, reads as English\\): ${plain.slice(0, 40)}`));
	assert.match(await page.$eval('#solve-status', (p) => p.textContent), /^Searched in [0-9.]+ s\. The best reads as English\.$/);
});

test('a crib: both searches prefer what holds it, as untranspose-key --crib does', async () => {
	const plain = englishLetters(70, 5000);
	const crib = plain.slice(30, 38);
	const cipher = keyedCipher(plain, randomOrder(9, 5));
	await typeText(cipher);
	await setField('#crib', crib.toLowerCase());
	const decodings = async (args) => execFileSync(native('untranspose'),
		{ input: execFileSync(native('untranspose-key'), [...args, '--crib', crib, '--top', '3'], { input: cipher + '\n' }) })
		.toString().trim().split('\n');
	for (const [button, args] of [['#find', []], ['#solve', ['--keyed', '--jobs', '1']]]) {
		const expected = await decodings(args);
		await page.click(button);
		await searchEnds();
		await page.waitForSelector('#candidates li');
		for (let i = 0; i < 3; i++) {
			await page.click(`#candidates li:nth-child(${i + 1}) button`);
			assert.equal(await value('#output'), expected[i], `${button}, candidate ${i + 1}`);
		}
		// The plain search finds no key of a keyed cipher that holds it.
		assert.match(await page.$eval('#candidates li:first-child button', (b) => b.textContent),
			button === '#find' ? /, 0 of 1 crib, does not read as English\)/ : /, 1 of 1 crib, reads as English\)/);
	}
	await setField('#crib', '');
});

test('a keyed search in any language looks at each, and finds German as untranspose-key --lang auto does', async () => {
	const cipher = 'EKETN ISHMS MNDRI FNCEA KOLEA SSSER UENIR TMMNM ZFRLA EEENC EIATI SINMN NIZNN STBDH GTNBE GWDGN ' +
		'WEHIE RESIE EDUIU ARNNI DHNTC NAIUD EERDS ADUAN MWGGL OATSE AAIUN BEEIU';
	await typeText(cipher);
	await pressInAnyLanguage('#solve', searchEnds);
	const cases = execFileSync(native('untranspose-key'), ['--keyed', '--lang', 'auto', '--jobs', '1'], { input: cipher + '\n' });
	assert.equal(await value('#output'), execFileSync(native('untranspose'), { input: cases }).toString().trim());
	assert.match(await page.$eval('#summary', (p) => p.textContent), /German/);
});

// The key each type's search is tried with in the page, small enough to
// be found at once, and whether its search runs on threads.
const SEARCHED_KEYS = {
	permutation: { key: ['--keyword', 'ZEBRAS'], jobs: true },
	railfence: { key: ['--key', '5', '--offset', '3'], jobs: false },
	redefence: { key: ['--keyword', 'TOMATO', '--offset', '2'], jobs: true },
	route: { key: ['--key', '7', '--route', 'spiral-ccw', '--corner', 'bl'], jobs: false },
	amsco: { key: ['--keyword', 'TOMATO', '--start', '2'], jobs: true },
	myszkowski: { key: ['--keyword', 'TOMATO'], jobs: true },
	double: { key: ['--keyword', 'TOMATO', '--keyword', 'ZEBRAS'], jobs: true },
};

test('searches each type of the list as untranspose-key --jobs 1 does, within twice its time', async () => {
	const plain = englishLetters(240, 7000);
	const listed = execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim());
	for (let i = 2; i < listed.length; i++) {
		const name = listed[i];
		assert.ok(SEARCHED_KEYS[name], `${name} has a key to search for`);
		const cipher = execFileSync(native('transpose'), ['--cipher', name, ...SEARCHED_KEYS[name].key, '--groups', '5'],
			{ input: plain + '\n' }).toString().trim();
		await typeText(cipher);
		await page.select('#cipher-type', String(i));
		const start = Date.now();
		await page.click('#solve');
		await searchEnds();
		const seconds = (Date.now() - start) / 1000;
		const nativeStart = Date.now();
		const decodings = execFileSync(native('untranspose-key'),
			['--cipher', name, ...(SEARCHED_KEYS[name].jobs ? ['--jobs', '1'] : []), '--top', '10', '--decode'],
			{ input: cipher + '\n' }).toString().trim().split('\n');
		const nativeSeconds = (Date.now() - nativeStart) / 1000;
		console.log(`${name}: searched in ${seconds.toFixed(2)} s in the page, ${nativeSeconds.toFixed(2)} s natively`);
		// A type read from a whole grid fills its last row with X.
		assert.equal((await value('#output')).replace(/X*$/, ''), plain, name);
		assert.match(await page.$eval('#solve-status', (p) => p.textContent), /^Searched in [0-9.]+ s\. The best reads as English\.$/, name);
		const shown = await page.$$eval('#candidates li', (items) => items.length);
		assert.equal(shown, decodings.length, `${name}: as many answers as the program's`);
		for (let c = 0; c < Math.min(shown, 3); c++) {
			await page.click(`#candidates li:nth-child(${c + 1}) button`);
			assert.equal(await value('#output'), decodings[c], `${name}, candidate ${c + 1}`);
		}
		assert.ok(seconds < 2 * nativeSeconds + 1, `${name}: ${seconds} s in the page`);
	}
	await page.select('#cipher-type', '0');
});

test('a search of 30 columns leaves typing at once, shows progress, and stops with the best so far', async () => {
	const cipher = keyedCipher(englishLetters(600, 9000), randomOrder(30, 11));
	await typeText(cipher, 4);
	await page.click('#solve');
	const seen = await page.evaluate(async () => {
		const area = document.getElementById('text');
		const output = document.getElementById('output');
		const progress = document.getElementById('progress');
		const searched = area.value;
		const waits = [];
		const values = [];
		const lines = new Set();
		for (let i = 0; i < 30; i++) {
			const start = performance.now();
			area.value = i % 2 === 0 ? 'acd tka taw atn' : 'abcd';
			area.dispatchEvent(new Event('input'));
			if (output.value !== (i % 2 === 0 ? 'ATTACKATDAWN' : 'ABCD'))
				throw new Error(`the output is ${output.value}`);
			const tick = performance.now();
			await new Promise((resolve) => setTimeout(resolve, 40));
			waits.push(tick - start + Math.max(0, performance.now() - tick - 40));
			values.push(progress.value);
			lines.add(document.getElementById('solve-status').textContent);
		}
		area.value = searched;
		area.dispatchEvent(new Event('input'));
		return { waits, values, lines: [...lines] };
	});
	promptly('during a 30-column search', seen.waits);
	assert.ok(seen.values.at(-1) > seen.values[0], `the progress went from ${seen.values[0]} to ${seen.values.at(-1)}`);
	assert.ok(seen.lines.some((line) => /^Searching [0-9]+ columns; best so far -[0-9.]+ with [0-9]+ columns\.$/.test(line)),
		seen.lines.join(' | '));
	await page.click('#stop');
	await searchEnds();
	assert.match(await page.$eval('#solve-status', (p) => p.textContent),
		/^Stopped in [0-9.]+ s\. The best (reads|does not read) as English\.$/);
	assert.ok(await page.$eval('#candidates', (list) => list.children.length > 0));
	assert.match(await value('#keyword'), /^[0-9]+(,[0-9]+)+$/);
	assert.ok(await page.$eval('#progress', (p) => p.hidden));
});

test('a redefence searched in any language, and a rail fence with a crib, as untranspose-key searches them', async () => {
	const german = 'GEGENMITTAGKAMEINKLEINESBOOTUMDIELANDZUNGETIEFIMWASSERUNDSEHRLANGSAMDARINSASSENZWEIMAENNER';
	const listed = execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim());
	const english = englishLetters(120, 21000);
	const cases = [
		['redefence', ['--keyword', 'TIDE', '--offset', '1'], german, ['--lang', 'auto'], ''],
		['railfence', ['--key', '4', '--offset', '2'], english, ['--crib', english.slice(60, 70)], english.slice(60, 70)],
	];
	for (const [name, key, plain, args, crib] of cases) {
		const cipher = execFileSync(native('transpose'), ['--cipher', name, ...key], { input: plain + '\n' }).toString().trim();
		await typeText(cipher);
		await page.select('#cipher-type', String(listed.indexOf(name)));
		await setField('#crib', crib.toLowerCase());
		const auto = args[0] === '--lang';
		if (auto)
			await pressInAnyLanguage('#solve', searchEnds);
		else {
			await page.click('#solve');
			await searchEnds();
		}
		const decodings = execFileSync(native('untranspose-key'), ['--cipher', name, ...args, '--top', '10', '--decode'],
			{ input: cipher + '\n' }).toString().trim().split('\n');
		assert.equal(await value('#output'), plain, name);
		assert.equal(await page.$$eval('#candidates li', (items) => items.length), decodings.length, name);
		for (let c = 0; c < Math.min(decodings.length, 3); c++) {
			await page.click(`#candidates li:nth-child(${c + 1}) button`);
			assert.equal(await value('#output'), decodings[c], `${name}, candidate ${c + 1}`);
		}
		assert.match(await page.$eval('#candidates li:first-child button', (b) => b.textContent),
			auto ? /reads as German\)/ : /, 1 of 1 crib, reads as English\)/, name);
	}
	await setField('#crib', '');
	await page.select('#cipher-type', '0');
});

test('a search of any type finds what untranspose-key --cipher any --jobs 1 finds, and chooses its type', async () => {
	const plain = englishLetters(200, 15000);
	const listed = execFileSync(native('transpose'), ['--help']).toString().match(/^    [a-z]+ /gm).map((line) => line.trim());
	for (const name of ['railfence', 'amsco']) {
		const cipher = execFileSync(native('transpose'), ['--cipher', name, ...SEARCHED_KEYS[name].key, '--groups', '5'],
			{ input: plain + '\n' }).toString().trim();
		await typeText(cipher);
		await page.select('#cipher-type', 'any');
		assert.equal(await page.$eval('#keyword-box', (box) => box.hidden), true);
		assert.equal(await page.$eval('#find', (button) => button.disabled), true);
		assert.equal(await page.$eval('#solve', (button) => button.textContent), 'Search for its type and key');
		await page.click('#solve');
		await searchEnds();
		const decodings = execFileSync(native('untranspose-key'), ['--cipher', 'any', '--jobs', '1', '--top', '10', '--decode'],
			{ input: cipher + '\n' }).toString().trim().split('\n');
		assert.equal(await value('#output'), plain, name);
		assert.equal(await value('#cipher-type'), String(listed.indexOf(name)), `${name} chosen`);
		assert.equal(await page.$$eval('#candidates li', (items) => items.length), decodings.length, name);
		for (let c = 0; c < Math.min(decodings.length, 3); c++) {
			await page.click(`#candidates li:nth-child(${c + 1}) button`);
			assert.equal(await value('#output'), decodings[c], `${name}, candidate ${c + 1}`);
		}
	}
	await page.select('#cipher-type', '0');
});

test('a double columnar search stopped once it has an answer keeps its answers as they stand', async () => {
	const cipher = execFileSync(native('transpose'), ['--cipher', 'double', '--order', randomOrder(14, 3),
		'--order', randomOrder(13, 4), '--groups', '5'], { input: englishLetters(420, 12000) + '\n' }).toString().trim();
	await typeText(cipher);
	await page.select('#cipher-type', String(await page.$eval('#cipher-type', (select) =>
		[...select.options].findIndex((option) => /double/i.test(option.textContent)))));
	await page.click('#solve');
	await page.waitForFunction(() => /best so far -[0-9.]+ with [0-9]+ columns/.test(
		document.getElementById('solve-status').textContent), { timeout: 60000 });
	assert.match(await page.$eval('#solve-status', (p) => p.textContent), /^Searching [0-9]+ then [0-9]+ columns; best so far/);
	// Stop answers at once, even in the midst of a long job.
	await new Promise((resolve) => setTimeout(resolve, 3000));
	const stopped = Date.now();
	await page.click('#stop');
	await searchEnds();
	assert.ok(Date.now() - stopped < 1500, `stopped in ${Date.now() - stopped} ms`);
	assert.match(await page.$eval('#solve-status', (p) => p.textContent), /^Stopped in [0-9.]+ s\. The best/);
	assert.ok(await page.$eval('#candidates', (list) => list.children.length > 0));
	assert.match(await value('#keyword'), /^[0-9]+(,[0-9]+)+ [0-9]+(,[0-9]+)+$/);
	await page.select('#cipher-type', '0');
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
		const filter = spawnSync(native('untranspose'), { input: readFileSync(file) });
		assert.deepEqual(bytes, filter.stdout, name);
		assert.match(status, words, name);
		assert.match(status, new RegExp(`Exit status ${filter.status}\\.$`), name);
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
	assert.equal(await typeText('hlod eorl wl', 1), 'HLODEORLWL');
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
		const waits = [];
		let highest = 0, during = 0;
		while (status.dataset.status === undefined) {
			const start = performance.now();
			area.value = `acd tka taw atn ${waits.length}`;
			area.dispatchEvent(new Event('input'));
			const handled = performance.now() - start;
			const tick = performance.now();
			await new Promise((resolve) => setTimeout(resolve, 10));
			waits.push(handled + Math.max(0, performance.now() - tick - 10));
			if (!progress.hidden) {
				highest = Math.max(highest, progress.value);
				during++;
			}
		}
		return { waits, highest, during };
	});
	promptly('40 MB case file', seen.waits);
	assert.ok(seen.during > 1 && seen.highest > 0, 'the progress bar moved');
	const digest = await page.$eval('#download', async (link) => {
		const buffer = await (await fetch(link.href)).arrayBuffer();
		return Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', buffer)));
	});
	const filter = execFileSync(native('untranspose'), { input: readFileSync(file), maxBuffer: 1 << 27 });
	assert.equal(Buffer.from(digest).toString('hex'), createHash('sha256').update(filter).digest('hex'));
	assert.equal(await page.$eval('#cases-shown', (p) => p.textContent),
		`Shown: the first 65,536 bytes of ${filter.length.toLocaleString('en')} bytes; the download holds them all.`);
});

test('makes no network request', () => {
	assert.ok(requests.length > 0);
	for (const url of requests)
		assert.match(url, /^(file|data|blob):/, url);
});
