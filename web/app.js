// The page's glue: it moves bytes between the page and the module, whose
// C++ does all the decoding.
'use strict';

// A case's text holds at most this many bytes; the filter cuts the rest.
const TEXT_LIMIT = 9999;
const MOST_KEY = 2147483647;
const encoder = new TextEncoder();
const $ = (id) => document.getElementById(id);

untransposeModule()().then((module) => {
	const copyIn = (bytes) => copyToModule(module, bytes);

	// The text area's text as one text, as untranspose-key --paragraphs
	// joins a paragraph: its line ends are dropped.
	// A text too long for a case is first packed by dropping its spaces,
	// which the filter would drop anyway, so that all its letters count.
	function textBytes() {
		const typed = encoder.encode($('text').value.replace(/\r?\n/g, ''));
		if (typed.length <= TEXT_LIMIT)
			return { bytes: typed, note: '' };
		const packed = typed.filter((byte) => byte !== 0x20);
		const size = `The text is ${count(typed.length, 'byte')}, more than a case's ${count(TEXT_LIMIT, 'byte')}`;
		if (packed.length <= TEXT_LIMIT)
			return { bytes: packed, note: `${size}: its spaces were dropped first, so that all of it is decoded.` };
		return { bytes: typed, note: `${size}, and ${count(packed.length, 'byte')} without its spaces: ` +
			`only its first ${count(TEXT_LIMIT, 'byte')} are decoded, as the filter decodes a case.` };
	}

	function decodeWith(bytes, key) {
		const at = copyIn(bytes);
		const length = module._web_decode(at, bytes.length, key);
		module._free(at);
		const start = module._web_decoded();
		return module.HEAPU8.slice(start, start + length);
	}

	// The decoding with the order last read by readOrder.
	function decodeKeyed(bytes) {
		const at = copyIn(bytes);
		const length = module._web_keyed_decode(at, bytes.length);
		module._free(at);
		const start = module._web_keyed_decoded();
		return module.HEAPU8.slice(start, start + length);
	}

	// The keyword field's order, if it holds one; the ranks stay in the
	// module for decodeKeyed.
	function readKeyword() {
		const field = $('keyword');
		const given = field.value.trim();
		if (given === '')
			return { columns: 0, note: '' };
		const columns = readOrder(module, given);
		if (columns === 0)
			return { columns: 0, invalid: true, note: /[0-9]/.test(given) ?
				'An order is the ranks 1 to K, each once, separated by commas, such as 6,3,2,4,1,5; ' +
				'until then the key field decodes.' :
				'A keyword needs at least one letter; until then the key field decodes.' };
		return { columns, note: '' };
	}

	// The key field's number, and what to say of it.  The field's own
	// number is read, so that 1e1 is 10, as the field shows it.
	function readKey(length) {
		const field = $('key');
		const n = field.valueAsNumber;
		const asRead = 'until then the text is shown as it is read, as the key 1 shows it.';
		if (field.value === '' && !field.validity.badInput)
			return { key: 1, invalid: true, note: `Give a number of columns; ${asRead}` };
		if (!Number.isFinite(n))
			return { key: 1, invalid: true, note: `A key is a number of columns, such as 4; ${asRead}` };
		if (!Number.isInteger(n))
			return { key: 1, invalid: true, note: `A key is a whole number of columns; ${asRead}` };
		if (n === 0)
			return { key: 1, invalid: true, note: `The key 0 ends a file of cases and decodes nothing; ${asRead.replace('until then ', '')}` };
		if (n < 0)
			return { key: Math.max(n, -MOST_KEY - 1), invalid: false,
				note: 'A negative key describes no grid: the text is shown as it is read, as the key 1 shows it.' };
		if (n > MOST_KEY)
			return { key: MOST_KEY, invalid: false, note: `Keys above ${MOST_KEY.toLocaleString('en')} are read as that key, as the filter reads them.` };
		if (n > 1 && n >= length && length > 0)
			return { key: n, invalid: false, note: `A key of ${count(length, 'column')} or more leaves a text of ${count(length, 'byte')} as it is.` };
		return { key: n, invalid: false, note: '' };
	}

	// The language the last search chose, when it was asked to choose.
	let foundIn = '';

	function summary(decoded, key, found, keyed = false) {
		let letters = 0;
		for (const byte of decoded)
			if (byte >= 0x41 && byte <= 0x5a)
				letters++;
		const others = decoded.length - letters;
		const what = `${count(letters, 'letter')}${others > 0 ? ` and ${count(others, 'other byte')}` : ''}`;
		const language = foundIn ? ` in ${foundIn}` : '';
		if (keyed)
			return found ? `found ${count(key, 'column')} and their order${language}; decoded, ${what}` :
				`decoded, ${what}, ${count(key, 'column')} in a keyword's order`;
		return found ? `found the key ${key}${language}; decoded, ${what}` : `decoded, ${what}, key ${key}`;
	}

	function mark(field, invalid) {
		if (invalid)
			field.setAttribute('aria-invalid', 'true');
		else
			field.removeAttribute('aria-invalid');
	}

	const types = cipherTypes(module);
	fillTypeChoice($('cipher-type'), types);
	// Any type in the list, for the search: it takes no key of its own.
	const ANY = { index: -1, name: 'any', title: 'any type in the list', units: 'columns', options: 0, keys: 1,
		rows: false, family: true, any: true };
	const anyOption = document.createElement('option');
	anyOption.value = 'any';
	anyOption.textContent = 'Any type in the list';
	$('cipher-type').append(anyOption);
	const chosenType = () => ($('cipher-type').value === 'any' ? ANY : types[Number($('cipher-type').value)]);

	// The key fields the chosen type takes, and whether the page searches
	// it: the first two types' searches are the page's own.
	function showKeyFields() {
		const type = chosenType();
		const first = type.index === 0;
		const numbered = (type.options & NUMBER_OPTION) !== 0;
		$('key-box').hidden = !numbered;
		$('key-label').textContent = `Key (${type.units})`;
		$('keyword-box').hidden = type.any || (!first && numbered);
		$('keyword-label').textContent = first ? 'Keyword or order' : keyLabel(type, false);
		$('offset-box').hidden = !(type.options & (OFFSET_OPTION | START_OPTION));
		$('offset-label').textContent = (type.options & START_OPTION) ? 'Start (1 or 2)' : 'Offset';
		$('route-box').hidden = !(type.options & ROUTE_OPTION);
		$('corner-box').hidden = !(type.options & ROUTE_OPTION);
		// An AMSCO grid starts with 1 letter unless told otherwise.
		$('offset').value = (type.options & START_OPTION) ? '1' : '0';
		// Finding the number of columns alone is the plain columns' own.
		const columns = !type.any && type.index <= 1;
		$('find').disabled = !columns;
		$('solve').textContent = columns ? 'Search keyed orders' : type.any ? 'Search for its type and key' : 'Search for its key';
		$('cipher-type-note').textContent = columns ? '' : type.any ?
			'The page searches every type in the list, the cheapest first, as untranspose-key --cipher any does; ' +
			'the text is shown as it is until a key is found.' :
			`The page decodes a ${type.title} with its key, and searches for its key as untranspose-key --cipher ${type.name} does.`;
	}

	// The text decoded by a type other than the plain and keyed columns.
	function showOtherType(bytes, type) {
		const numbered = (type.options & NUMBER_OPTION) !== 0;
		const field = numbered ? $('key') : $('keyword');
		const decoded = transformAs(module, type, bytes, { key: field.value, along: $('offset').valueAsNumber,
			route: Number($('route').value), corner: Number($('corner').value) }, true);
		$('key-note').textContent = '';
		$('keyword-note').textContent = '';
		mark($('key'), false);
		mark($('keyword'), false);
		if (decoded === null) {
			mark(field, true);
			(numbered ? $('key-note') : $('keyword-note')).textContent =
				`That key does not fit a ${type.title}: ${keyLabel(type, false).toLowerCase()}` +
				((type.options & (OFFSET_OPTION | START_OPTION)) ? ', with an offset or start it takes.' : '.');
			showBytes($('output'), new Uint8Array(0));
			$('summary').textContent = '';
			return;
		}
		showBytes($('output'), decoded);
		let letters = 0;
		for (const byte of decoded)
			letters += byte >= 0x41 && byte <= 0x5a ? 1 : 0;
		$('summary').textContent = `decoded as a ${type.title}, ${count(letters, 'letter')}`;
	}

	function show(found = false) {
		const { bytes, note } = textBytes();
		$('text-note').textContent = note;
		if (chosenType().any) {
			const decoded = decodeWith(bytes, 1);
			showBytes($('output'), decoded);
			$('summary').textContent = 'not decoded: search for its type and key';
			return;
		}
		if (chosenType().index > 1) {
			showOtherType(bytes, chosenType());
			return;
		}
		const ordered = readKeyword();
		$('keyword-note').textContent = ordered.note;
		mark($('keyword'), ordered.invalid);
		if (ordered.columns > 0) {
			// The keyword tells the number of columns too.
			$('key').value = String(ordered.columns);
			$('key-note').textContent = '';
			mark($('key'), false);
			const decoded = decodeKeyed(bytes);
			showBytes($('output'), decoded);
			$('summary').textContent = summary(decoded, ordered.columns, found, true);
			return;
		}
		const length = bytes.filter((byte) => byte !== 0x20).length;
		const { key, invalid, note: keyNote } = readKey(length);
		$('key-note').textContent = keyNote;
		mark($('key'), invalid);
		const decoded = decodeWith(bytes, key);
		showBytes($('output'), decoded);
		$('summary').textContent = summary(decoded, key, found);
	}

	// Candidates belong to the text they were found for.
	function forgetCandidates() {
		$('candidates').replaceChildren();
		$('candidates-box').hidden = true;
		$('candidates-note').textContent = '';
	}

	// Lists candidates, each a button that shows its decoding: `label`
	// names one, `preview` decodes with it, and `use` puts it in the key
	// fields.
	function listCandidates(candidates, label, preview, use) {
		forgetCandidates();
		const list = $('candidates');
		for (const candidate of candidates) {
			const item = document.createElement('li');
			const button = document.createElement('button');
			button.type = 'button';
			button.dataset.key = String(candidate.columns ?? candidate.number);
			const start = document.createElement('span');
			showBytes(start, preview(candidate).slice(0, 60));
			button.append(`${label(candidate)}: `, start);
			button.addEventListener('click', () => {
				use(candidate);
				show();
			});
			item.append(button);
			list.append(item);
		}
		$('candidates-box').hidden = false;
		use(candidates[0]);
		show(true);
	}

	// The languages, auto first; -1 stands for auto.
	const languages = [];
	for (let i = 0; i < module._web_language_count(); i++) {
		languages.push({ code: moduleString(module, module._web_language_code(i)),
			name: moduleString(module, module._web_language_name(i)) });
		const option = document.createElement('option');
		option.value = String(i);
		option.textContent = languages[i].name;
		$('lang').append(option);
	}
	$('lang').value = '0';
	const readLanguage = () => ($('lang').value === 'auto' ? -1 : Number($('lang').value));

	// Sets the module's cribs from the crib field; returns how many, or
	// -1 after saying what is wrong with them.
	function setCribs() {
		const bytes = encoder.encode($('crib').value);
		const at = copyIn(bytes);
		const cribs = module._web_set_cribs(at, bytes.length);
		module._free(at);
		$('crib-note').textContent = cribs < 0 ? 'A crib has at most 100 letters, and a search takes at most 16; ' +
			'until then no crib is used.' : '';
		mark($('crib'), cribs < 0);
		return Math.max(cribs, 0);
	}

	// The verdict on a decoding, as untranspose-key gives it, in words.
	const VERDICTS = ['too short to judge', 'reads as', 'does not read as'];
	const verdictWords = (verdict, language) => (verdict === 0 ? VERDICTS[0] : `${VERDICTS[verdict]} ${language}`);

	// How many of the cribs an answer holds, for its label.
	const held = (cribs, of) => (of > 0 ? `, ${cribs} of ${count(of, 'crib')}` : '');

	function findKeys() {
		const cribs = setCribs();
		const { bytes } = textBytes();
		const at = copyIn(bytes);
		const found = module._web_find_keys(at, bytes.length, 10, readLanguage());
		module._free(at);
		foundIn = readLanguage() < 0 ? languages[module._web_found_language()].name : '';
		forgetCandidates();
		if (found === 0 || module._web_quadgrams(0) === 0) {
			$('candidates-note').textContent = 'This text has no four letters to score, so no key can be judged.';
			return;
		}
		const candidates = [];
		const language = languages[readLanguage() < 0 ? module._web_found_language() : readLanguage()].name;
		for (let i = 0; i < found; i++)
			candidates.push({ columns: module._web_key(i), score: module._web_score(i), cribs: module._web_key_cribs(i),
				verdict: verdictWords(module._web_key_verdict(i), language) });
		$('solve-status').textContent = `Found ${count(found, 'key')}; the best ${candidates[0].verdict}.`;
		listCandidates(candidates, (c) => `key ${c.columns} (${c.score.toFixed(2)}${held(c.cribs, cribs)}, ${c.verdict})`,
			(c) => decodeWith(bytes, c.columns), (c) => {
				$('keyword').value = '';
				$('key').value = String(c.columns);
			});
	}

	// A found key of a type other than the columns', for its candidate's
	// label, and put into the key fields.
	function familyLabel(type, a) {
		const parts = [count(a.number ?? a.columns, type.units.replace(/s$/, ''))];
		if (type.options & OFFSET_OPTION)
			parts.push(`offset ${a.offset}`);
		if (type.options & START_OPTION)
			parts.push(`start ${a.offset + 1}`);
		if (type.options & ROUTE_OPTION)
			parts.push(`route ${$('route').options[Math.floor(a.route / 4)].text} from ${$('corner').options[a.route % 4].text}`);
		if (a.ranks.length > 0)
			parts.push(`order ${a.ranks.join(',')}` + (a.second?.length > 0 ? ` then ${a.second.join(',')}` : ''));
		return parts.join(', ');
	}

	// Puts a found key into the key fields, its type chosen.
	function useKey(type, a) {
		if (chosenType() !== type) {
			$('cipher-type').value = String(type.index);
			showKeyFields();
		}
		$('keyword').value = a.ranks.length > 0 ? a.ranks.join(',') + (a.second?.length > 0 ? ` ${a.second.join(',')}` : '') : '';
		if (type.options & NUMBER_OPTION)
			$('key').value = String(a.number ?? a.columns);
		if (type.options & (OFFSET_OPTION | START_OPTION))
			$('offset').value = String((type.options & START_OPTION) ? a.offset + 1 : a.offset);
		if (type.options & ROUTE_OPTION) {
			$('route').value = String(Math.floor(a.route / 4));
			$('corner').value = String(a.route % 4);
		}
	}

	// The answers of a search, for the text as it was when it began, in
	// the language named `language` if it was chosen among them.
	function showAnswers(answers, searched, language, stopped, type) {
		foundIn = language;
		forgetCandidates();
		if (stopped && answers.length === 0) {
			$('candidates-note').textContent = `The search was stopped before it had found ${type.any || type.index > 1 ? 'a key' : 'an order'}.`;
			return;
		}
		if ($('text').value !== searched) {
			$('candidates-note').textContent = 'The text changed during the search; search again for orders of this one.';
			return;
		}
		if (answers.length === 0 || !answers[0].scored) {
			$('candidates-note').textContent = 'This text has no four letters to score, so no order can be judged.';
			return;
		}
		const { bytes } = textBytes();
		const cribs = setCribs();
		const words = (a) => verdictWords(a.verdict, languages[a.language].name);
		$('solve-status').textContent += ` The best ${words(answers[0])}.`;
		if (type.index > 1 || type.any) {
			// Among every type, each answer has its own; a block
			// permutation's answers come from the keyed search, and are
			// decoded here.
			const typeOf = (a) => (a.type !== undefined ? types[a.type] : type);
			const decoding = (a) => a.decoded ?? transformAs(module, type, bytes, { key: a.ranks.join(','), along: 0, route: 0, corner: 0 }, true);
			listCandidates(answers, (a) => `${type.any ? `${typeOf(a).title}: ` : ''}${familyLabel(typeOf(a), a)}` +
				` (${a.score.toFixed(2)}${held(a.cribs, cribs)}, ${words(a)})`, decoding, (a) => useKey(typeOf(a), a));
			return;
		}
		listCandidates(answers, (a) => `${count(a.columns, 'column')}, order ${a.ranks.join(',')}` +
			`${a.keyword ? `, keyword ${a.keyword}` : ''} (${a.score.toFixed(2)}${held(a.cribs, cribs)}, ${words(a)})`, (a) => {
			readOrder(module, a.ranks.join(','));
			return decodeKeyed(bytes);
		}, (a) => {
			$('keyword').value = a.ranks.join(',');
			$('key').value = String(a.columns);
		});
	}

	$('text').addEventListener('input', () => {
		forgetCandidates();
		show();
	});
	// The key field, once typed in, rules: the columns are read from left
	// to right again.
	$('key').addEventListener('input', () => {
		$('keyword').value = '';
		show();
	});
	$('keyword').addEventListener('input', () => show());
	// Candidates belong to the cribs they were found with.
	$('crib').addEventListener('input', () => {
		forgetCandidates();
		setCribs();
	});
	$('cipher-type').addEventListener('input', () => {
		forgetCandidates();
		showKeyFields();
		show();
	});
	for (const id of ['offset', 'route', 'corner'])
		$(id).addEventListener('input', () => show());
	$('find').addEventListener('click', findKeys);
	setUpSolve(textBytes, chosenType, showAnswers, readLanguage, languages);
	setUpEncoder(module);
	setUpCaseFiles();
	showKeyFields();
	show();
	document.body.dataset.ready = 'true';
});
