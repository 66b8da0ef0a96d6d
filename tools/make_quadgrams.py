#!/usr/bin/env python3
"""Makes language/languages/LANG.inc, the letter statistics of a language
that untranspose-key scores decodings with, from prose that a Debian
package ships under a free licence (see SOURCES, and each package's
copyright file):

    en  the fortune files of fortunes-min and fortunes (BSD)
    de  the fortune files of fortunes-de (GPL-2+)
    es  the fortune files of fortunes-es, its offensive ones aside (GPL-2+)
    fr  the quotations of Littre's dictionary of the French language, of
        stardict-xmlittre (public domain; its electronic edition GPL-2+)
    it  the fortune files of fortunes-it (GPL-2+)
    pt  the Brazilian fortune file of fortunes-br (GPL-2+), and the
        Debian FAQ in Portuguese, of debian-faq-pt (the FAQ's licence)

Letters are folded to A-Z as people write ciphers in each language: the
German umlauts and sharp s as AE, OE, UE and SS, and elsewhere the accents
dropped, so that e with an acute is E and n with a tilde N.  Only the
letters count then: each file's text is upper-cased and everything but
A-Z dropped, as untranspose-key scores only letters.  Each of the 26^4
quadgrams gets log10 of its frequency, with unseen ones at a floor below the
rarest, quantised to 64 levels.  Most quadgrams are never seen, so the
table is written as a bitmap of the seen ones, six to a base64 digit, and
the levels of the seen ones, a base64 digit each, in the same order: a
third of the table written whole.

A table of the 26^2 bigrams gives how much likelier each pair of letters
is to stand side by side than its letters are apart (pointwise mutual
information, in hundredths of a log10): the keyed search first judges
which columns stand side by side by it.

One more gives, for each number of columns K up to 100, log10 K! in the
quadgram table's steps: a keyed order is one of K! orders of K columns,
and a decoding must score that much better to be believed as one, so that
a short text is not fitted by a long key.

Two smaller tables weigh a text's first and last three letters: how much
likelier each trigram is to open (or close) a word than to stand anywhere,
with white space as the only word break.  A text is taken to begin and end
on a word edge nine times in ten, so a trigram never seen at an edge
costs at most a factor of ten.  They are in the quadgram table's steps,
offset by 32, so that a level adds to a quadgram total as it is.

    tools/make_quadgrams.py [--lang LANG] [ROOT] > language/languages/LANG.inc
    tools/make_quadgrams.py --folding > programs/letter_folding.inc

The second makes the table of the letters that the programs fold in the
texts and keywords they read, by the same rules as the language tables.

ROOT, / by default, is where the packages' files are looked for: a
directory into which they were unpacked with dpkg-deb -x will do.

The output depends only on the files read, so running it again on the same
package versions gives the committed table byte for byte.
"""
import gzip
import html
import math
import os
import re
import sys
import textwrap
import unicodedata

ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
LEVELS = len(ALPHABET)
# Pictures, not prose.
SKIPPED = {"art", "ascii-art", "asciiart", "banner"}
EDGE_ODDS = 0.9
EDGE_OFFSET = 32
EDGE_PRIOR = 10
WHITE = b" \t\n\r"
MOST_COLUMNS = 100
# The words kept: those seen at least twice, and of them the commonest.
LEAST_WORD_COUNT = 2
MOST_WORDS = 20000
MOST_WORD_GAIN = 1.2


ENGLISH = ("computers cookie debian definitions disclaimer drugs education ethnic food fortunes goedel "
           "humorists kids knghtbrd law linux linuxcookie literature love magic medicine men-women "
           "miscellaneous news paradoxum people perl pets platitudes politics pratchett riddles science "
           "songs-poems sports startrek tao translate-me wisdom work zippy").split()

# For each language: its parts, each a directory and which of its files,
# and what to say of them.  None for the files takes every fortune file in
# the directory.
SOURCES = {
    "en": ([("/usr/share/games/fortunes", ENGLISH)],
           "the fortune files of Debian's fortunes-min and fortunes packages"),
    "de": ([("/usr/share/games/fortunes/de", None)], "the fortune files of Debian's fortunes-de package"),
    "es": ([("/usr/share/games/fortunes/es", None)], "the fortune files of Debian's fortunes-es package"),
    "fr": ([("/usr/share/stardict/dic", ["XMLittre.dict.dz"])],
           "the quotations of Littre's dictionary of the French language, of Debian's "
           "stardict-xmlittre package"),
    "it": ([("/usr/share/games/fortunes/it", None)], "the fortune files of Debian's fortunes-it package"),
    "pt": ([("/usr/share/games/fortunes", ["brasil"]),
            ("/usr/share/doc/debian/FAQ", ["debian-faq.pt.txt.gz"])],
           "the Brazilian fortune file of Debian's fortunes-br package and the Debian FAQ "
           "in Portuguese, of Debian's debian-faq-pt package"),
}

GERMAN = {"ä": "ae", "ö": "oe", "ü": "ue", "Ä": "AE", "Ö": "OE", "Ü": "UE", "ß": "ss", "ẞ": "SS"}
LIGATURES = {"œ": "oe", "Œ": "OE", "æ": "ae", "Æ": "AE"}


def corpus_files(directory, names):
    if names is None:
        # Every fortune file: its index is name.dat, and a name with a dot
        # is such an index, a copy under another name, or not a fortune
        # file at all, except for fortunes-es, whose files end in .fortunes.
        names = [name for name in sorted(os.listdir(directory))
                 if os.path.isfile(os.path.join(directory, name)) and name not in SKIPPED and
                 ("." not in name or name.endswith(".fortunes"))]
    for name in names:
        yield name, os.path.join(directory, name)


def citations(dictionary):
    """The quotations of a StarDict dictionary in Pango markup, such as the
    Littre's, which it shows in blue, one to a line: the prose of its
    authors, without the headwords and abbreviations of the articles."""
    quoted = re.findall(r'<span foreground="#0000CD">(.*?)</span>', dictionary, re.S)
    return "\n".join(html.unescape(re.sub(r"<[^>]*>", "", q)) for q in quoted)


def letters_of(code, path):
    """A file's text as bytes, upper-cased, its letters folded to A-Z."""
    opener = gzip.open if path.endswith((".gz", ".dz")) else open
    with opener(path, "rb") as file:
        data = file.read()
    if code == "en":
        return data.upper()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("latin-1")
    if path.endswith(".dict.dz"):
        text = citations(text)
    text = "".join(" " if c.isspace() else c for c in folded(text, code == "de"))
    return text.upper().encode("ascii", "ignore")


def folded(text, german):
    """The text with its letters folded as people write ciphers: with
    `german`, the umlauts and sharp s as AE, OE, UE and SS; the ligatures
    as two letters; and every other accent dropped."""
    if german:
        text = "".join(GERMAN.get(c, c) for c in text)
    text = "".join(LIGATURES.get(c, c) for c in text)
    return "".join(c for c in unicodedata.normalize("NFKD", text) if not unicodedata.combining(c))


def print_folding():
    """The C++ table of the letters that untranspose-key and transpose fold
    in what they read: every Latin letter of two or three UTF-8 bytes that
    folds to one or two letters A-Z, the German way for all languages,
    since a cipher's reader does not know its language."""
    print("// Made by tools/make_quadgrams.py --folding: the Latin letters that")
    print("// the language tables fold, each code point with what it folds to.")
    print("constexpr letter_fold LETTER_FOLDS[] = {")
    for point in list(range(0xC0, 0x250)) + list(range(0x1E00, 0x1F00)):
        letter = chr(point)
        if unicodedata.category(letter) not in ("Lu", "Ll"):
            continue
        plain = folded(letter, True)
        if plain != letter and 1 <= len(plain) <= 2 and all(c.isascii() and c.isalpha() for c in plain):
            print('    {0x%04X, "%s"},' % (point, plain))
    print("};")


def print_bitmap(name, seen):
    # Six quadgrams to a digit, the first in the lowest bit.
    digits = []
    for at in range(0, len(seen), 6):
        bits = sum(1 << k for k, flag in enumerate(seen[at:at + 6]) if flag)
        digits.append(ALPHABET[bits])
    print_levels(name, "".join(digits))


def print_levels(name, levels):
    # Rows of 4096 levels, each its own string literal and its terminating
    # zero, since compilers need not take longer literals.
    print("constexpr char %s[][4096 + 1] = {" % name)
    for row in range(0, len(levels), 4096):
        chunk = levels[row:row + 4096]
        print("    {")
        for at in range(0, len(chunk), 100):
            print('        "%s"' % chunk[at:at + 100])
        print("    },")
    print("};")


def print_affinities(pairs):
    # Unseen pairs count as a tenth of a sighting, as unseen quadgrams do.
    total = sum(pairs)
    firsts = [sum(pairs[a * 26:a * 26 + 26]) for a in range(26)]
    seconds = [sum(pairs[b::26]) for b in range(26)]
    print("// log10 of how much likelier each bigram is than its letters apart, in hundredths.")
    print("constexpr short BIGRAM_AFFINITY[26][26] = {")
    for a in range(26):
        row = []
        for b in range(26):
            ratio = (pairs[a * 26 + b] + 0.1) * total / (max(firsts[a], 1) * max(seconds[b], 1))
            row.append(str(round(100 * math.log10(ratio))))
        print("    {%s}," % ", ".join(row))
    print("};")


def print_order_priors(step):
    priors = [round(math.lgamma(k + 1) / math.log(10) / step) for k in range(MOST_COLUMNS + 1)]
    print("// log10 K! in the quadgram table's steps, for K from 0 to %d columns." % MOST_COLUMNS)
    print("constexpr int ORDER_PRIOR_LEVELS[%d] = {" % (MOST_COLUMNS + 1))
    for at in range(0, len(priors), 12):
        print("    %s," % ", ".join(str(p) for p in priors[at:at + 12]))
    print("};")


def print_words(words, letters):
    """The commonest words, with how likely each is among all the words
    read, and how likely each letter is among all the letters."""
    tokens = sum(words.values())
    letter_total = sum(letters)
    letter_log10 = [math.log10(max(c, 1) / letter_total) for c in letters]
    floor = math.log10(LEAST_WORD_COUNT / tokens)

    # No word is likelier than its letters drawn alone by more than
    # MOST_WORD_GAIN per letter: those that seem so are names and addresses
    # made of rare letters, which would only loosen the bound that a search
    # puts on what any text's words can gain.  Those that would fall below
    # the floor so are left out.
    def share(w):
        return min(math.log10(words[w] / tokens), MOST_WORD_GAIN * len(w) + sum(letter_log10[b - 65] for b in w))
    kept = sorted((w for w, c in words.items() if c >= LEAST_WORD_COUNT and share(w) >= floor),
                  key=lambda w: (-words[w], w))
    kept = sorted(kept[:MOST_WORDS])
    if not kept:
        sys.exit("no words found")
    step = (max(share(w) for w in kept) - floor) / (LEVELS - 1)
    print("// log10 of each letter's share of the letters read, in thousandths.")
    print("constexpr int LETTER_LOG10[26] = {%s};" % ", ".join(
        str(round(1000 * math.log10(max(c, 1) / letter_total))) for c in letters))
    print("// The %d commonest words seen %d times or more, of %d words read, in" % (len(kept), LEAST_WORD_COUNT, tokens))
    print("// alphabetical order: each is the number of letters it shares with the one")
    print("// before as a small letter (a for none), then the rest of it.  The level of")
    print("// each word, in the same order, gives log10 of its share of the words read,")
    print("// in thousandths, and that share times 2^50.  No word's share is more than")
    print("// %.1f times its length above its letters' drawn alone." % MOST_WORD_GAIN)
    print("constexpr std::size_t WORD_COUNT = %d;" % len(kept))
    print("constexpr int WORD_LOG10[%d] = {" % LEVELS)
    values = [floor + level * step for level in range(LEVELS)]
    for at in range(0, LEVELS, 16):
        print("    %s," % ", ".join(str(round(1000 * v)) for v in values[at:at + 16]))
    print("};")
    print("constexpr unsigned long long WORD_WEIGHTS[%d] = {" % LEVELS)
    for at in range(0, LEVELS, 8):
        print("    %s," % ", ".join(str(round(2 ** 50 * 10 ** v)) + "u" for v in values[at:at + 8]))
    print("};")
    listed, before = [], b""
    for w in kept:
        shared = 0
        while shared < min(len(w), len(before), 25) and w[shared] == before[shared]:
            shared += 1
        listed.append(chr(ord("a") + shared) + w[shared:].decode("ascii"))
        before = w
    print_levels("WORD_LIST", "".join(listed))
    # Rounded down, so that no share rises above the bound.
    print_levels("WORD_LEVELS", "".join(ALPHABET[max(0, min(LEVELS - 1, math.floor((share(w) - floor) / step)))]
                                        for w in kept))


def main():
    args = sys.argv[1:]
    if args == ["--folding"]:
        print_folding()
        return
    code = "en"
    if args[:1] == ["--lang"]:
        code, args = args[1], args[2:]
    if code not in SOURCES:
        sys.exit("no corpus is known for the language " + code)
    parts, described = SOURCES[code]
    root = args[0] if args else "/"
    counts = [0] * 26 ** 4
    pairs = [0] * 26 ** 2
    trigrams, openings, closings = [0] * 26 ** 3, [0] * 26 ** 3, [0] * 26 ** 3
    letters = [0] * 26
    words = {}
    names = []
    for name, path in ((name, path) for directory, files in parts
                       for name, path in corpus_files(os.path.join(root, directory.lstrip("/")), files)):
        names.append(name)
        data = letters_of(code, path)
        index, run = 0, 0
        # Where the letter 0, 1 or 2 places back opened a word, and
        # whether the last letter seen has been closed by white space.
        opened = [False, False, False]
        in_word = False
        word = bytearray()
        for byte in data:
            if 65 <= byte <= 90:
                letters[byte - 65] += 1
                word.append(byte)
                opened = [opened[1], opened[2], not in_word]
                in_word = True
                index = (index * 26 + byte - 65) % 26 ** 4
                run += 1
                if run >= 2:
                    pairs[index % 26 ** 2] += 1
                if run >= 3:
                    trigrams[index % 26 ** 3] += 1
                    if opened[0]:
                        openings[index % 26 ** 3] += 1
                if run >= 4:
                    counts[index] += 1
            elif byte in WHITE:
                if in_word and run >= 3:
                    closings[index % 26 ** 3] += 1
                in_word = False
                if word:
                    words[bytes(word)] = words.get(bytes(word), 0) + 1
                    word = bytearray()
        if word:
            words[bytes(word)] = words.get(bytes(word), 0) + 1
    total = sum(counts)
    if total == 0:
        sys.exit("no letters found for the language " + code)
    # Unseen quadgrams score a tenth of a single sighting.
    floor = math.log10(0.1 / total)
    top = max(math.log10(c / total) for c in counts if c)
    step = (top - floor) / (LEVELS - 1)

    def level(count):
        if count == 0:
            return 0
        return max(1, min(LEVELS - 1, round((math.log10(count / total) - floor) / step)))

    levels = [level(c) for c in counts]

    def edge_levels(edges):
        # How much an edge's odds rise for each trigram, its evidence weighed
        # against a prior of EDGE_PRIOR sightings at the mean rate: a trigram
        # seen rarely, or never, stays near even.
        mean = sum(edges) / sum(trigrams)
        levels = []
        for at_edge, anywhere in zip(edges, trigrams):
            ratio = (at_edge + EDGE_PRIOR * mean) / (anywhere + EDGE_PRIOR) / mean
            weight = math.log10(EDGE_ODDS * ratio + 1 - EDGE_ODDS)
            levels.append(ALPHABET[max(0, min(LEVELS - 1, EDGE_OFFSET + round(weight / step)))])
        return "".join(levels)
    print("// Generated by tools/make_quadgrams.py; do not edit.")
    print("\n".join(textwrap.wrap("Source: " + described, 76, initial_indent="// ", subsequent_indent="// ",
                                   break_on_hyphens=False)))
    print("// (%s), %d quadgrams." % (", ".join(names), total))
    print("// Level 0 is log10 %.4f, and each level adds %.6f." % (floor, step))
    print("constexpr double QUADGRAM_FLOOR = %.6f;" % floor)
    print("constexpr double QUADGRAM_STEP = %.6f;" % step)
    print("// The quadgrams seen, six to a digit, and the level of each, in the same order.")
    print("constexpr std::size_t SEEN_QUADGRAMS = %d;" % sum(1 for c in counts if c))
    print_bitmap("QUADGRAM_SEEN", [c > 0 for c in counts])
    print_levels("QUADGRAM_LEVELS", "".join(ALPHABET[l] for l in levels if l > 0))
    print_affinities(pairs)
    print_order_priors(step)
    print("// Word-edge levels of the first and last trigrams, level %d being even." % EDGE_OFFSET)
    print("constexpr int EDGE_OFFSET = %d;" % EDGE_OFFSET)
    print_levels("OPENING_LEVELS", edge_levels(openings))
    print_levels("CLOSING_LEVELS", edge_levels(closings))
    print_words(words, letters)

main()
