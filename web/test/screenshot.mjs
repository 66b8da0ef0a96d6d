// Takes the README's picture of the page: a cipher text, its key found,
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
	area.value = 'ateev eeaai aanrt senia igerl eariw ndsoq imrtr ntoar ysnsg asskt uoath sdsoc agtst hyths henlh etw.d hrihw rt.ee aes,l af,a';
	area.dispatchEvent(new Event('input'));
});
await page.click('#find');
await page.screenshot({ path: output, fullPage: true });
await browser.close();
