// Takes the README's picture of the page: a cipher text of a type not
// given, a redefence, its type and key found by the search of any type,
// and the best candidates.
//   node web/test/screenshot.mjs SITE_DIR OUTPUT.png
import { join } from 'node:path';
import { mkdtempSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

const [site, output] = process.argv.slice(2);
const browser = await puppeteer.launch({
	executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
	headless: true,
	args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
		'--disable-component-update', '--disable-sync', `--user-data-dir=${mkdtempSync(join(tmpdir(), 'shot-'))}`],
});
const page = await browser.newPage();
await page.setViewport({ width: 820, height: 1000 });
await page.goto(pathToFileURL(join(site, 'index.html')).href);
await page.waitForSelector('body[data-ready="true"]');
await page.$eval('#text', (area) => {
	area.value = 'TEBUS UOTON TERFE TRVSE NTAOH WWTER DIERK TDAET RYEAI MTXII LNDSM CEAHD HOQNR HYDIH SLEII ' +
		'SIEWD ERTEN FYUBA HRRAI THMIG FRALO REIRE ODNTA LHHHN NHPCS NTHHG WTSFI HPATE OOADH HKRAR AWEEN ' +
		'EIAFM OGLTA TOACE AIGLS BITEL';
	area.dispatchEvent(new Event('input'));
});
await page.select('#cipher-type', 'any');
await page.click('#solve');
await page.waitForFunction(() => !document.getElementById('solve').disabled, { timeout: 60000 });
// The picture is of the first section, where the search is.
const section = await page.$('section');
const box = await section.boundingBox();
await page.screenshot({ path: output, clip: { x: 0, y: 0, width: 820, height: box.y + box.height } });
await browser.close();
