#include "document/ODiskFile.h"
#include "document/OMemFile.h"
#include "document/OTransferBuffer.h"
#include "find/OFinder.h"
#include "platform/OScriptedPlatform.h"
#include "support/OFaultyFileIo.h"
#include "support/OTempDir.h"
#include "support/OTestData.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = OBytes;
using Answer = OConfirmAnswer;
using Decide = std::function<Answer(unsigned)>;

// ---- The rules written out naively ------------------------------------------

// A test pattern's bytes, -1 for a "\?" wildcard (no other escapes).
using OPlain = std::vector<int>;

OPlain Plain(std::string_view text) {
    OPlain p;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const bool wild = text.substr(k, 2) == "\\?";
        p.push_back(wild ? -1 : static_cast<OByte>(text[k]));
        if (wild) ++k;
    }
    return p;
}

bool MatchesAt(const Bytes& data, std::size_t p, const OPlain& pattern, bool matchCase) {
    const auto fold = [matchCase](int b) {
        return !matchCase && b >= 'a' && b <= 'z' ? b - 32 : b;
    };
    if (p + pattern.size() > data.size()) return false;
    for (std::size_t k = 0; k < pattern.size(); ++k)
        if (pattern[k] >= 0 && fold(data[p + k]) != fold(pattern[k])) return false;
    return true;
}

struct ORefReplace {
    Bytes result;
    unsigned found = 0;
    unsigned replaced = 0;
    OOffset last = -1;
    std::vector<Bytes> states; // the file as the view sees it before each question
};

// The replace loop from start, matches ending by areaEnd: each match found
// gets decide(its number), until maxReplaced are made; a replacement's
// wildcard at k keeps the byte at match + k (0 past the end); the search
// goes on behind the replacement, or one byte further after No.
ORefReplace RefReplace(const Bytes& data, std::size_t start, std::size_t areaEnd,
                       const OPlain& pattern, const OPlain& replacement, bool matchCase,
                       const Decide& decide, unsigned maxReplaced = ~0u) {
    ORefReplace ref;
    Bytes& out = ref.result;
    out.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(start));
    std::size_t copied = start;
    std::size_t cursor = start;
    bool confirm = true;
    for (;;) {
        std::size_t p = cursor;
        while (p + pattern.size() <= areaEnd && !MatchesAt(data, p, pattern, matchCase))
            ++p;
        if (p + pattern.size() > areaEnd) break;
        ref.last = static_cast<OOffset>(out.size() + (p - copied));
        Answer answer = Answer::All;
        if (confirm) {
            Bytes state = out;
            state.insert(state.end(), data.begin() + static_cast<std::ptrdiff_t>(copied),
                         data.end());
            ref.states.push_back(state);
            answer = decide(ref.found);
        }
        ++ref.found;
        if (answer == Answer::Cancel) break;
        if (answer == Answer::No) {
            cursor = p + 1;
            continue;
        }
        if (answer == Answer::All) confirm = false;
        if (ref.replaced == maxReplaced) break;
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(copied),
                   data.begin() + static_cast<std::ptrdiff_t>(p));
        for (std::size_t k = 0; k < replacement.size(); ++k)
            out.push_back(replacement[k] >= 0   ? static_cast<OByte>(replacement[k])
                          : p + k < data.size() ? data[p + k]
                                                : OByte{0});
        ++ref.replaced;
        copied = cursor = p + pattern.size();
    }
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(copied), data.end());
    return ref;
}

// The j for which content is the file with the first j replacements of the
// run made (several when a replacement leaves the bytes as they were). With
// tail, content may go on behind them: a truncation that failed.
std::vector<unsigned> Prefixes(const Bytes& data, std::size_t start, std::size_t areaEnd,
                               const OPlain& pattern, const OPlain& replacement, bool matchCase,
                               const Decide& decide, const Bytes& content, bool tail = false) {
    const auto run = [&](unsigned j) {
        return RefReplace(data, start, areaEnd, pattern, replacement, matchCase, decide, j);
    };
    const auto step = static_cast<long long>(replacement.size() - pattern.size());
    const auto growth = static_cast<long long>(content.size() - data.size());
    std::vector<unsigned> made;
    if (step != 0 && !tail) { // the length tells j
        if (growth % step != 0 || growth / step < 0) return made;
        const auto j = static_cast<unsigned>(growth / step);
        const ORefReplace ref = run(j);
        if (ref.replaced == j && ref.result == content) made.push_back(j);
        return made;
    }
    for (unsigned j = 0, total = run(~0u).replaced; j <= total; ++j) {
        const Bytes r = run(j).result;
        if (r == content ||
            (tail && content.size() > r.size() && std::equal(r.begin(), r.end(), content.begin())))
            made.push_back(j);
    }
    return made;
}

const Decide kAll = [](unsigned) { return Answer::All; };

std::string Totals(unsigned found, unsigned replaced) {
    return "Total found: " + std::to_string(found) +
           ".  Total replaces: " + std::to_string(replaced);
}

// ---- The document and view side ----------------------------------------------

class OTestHost final : public OFindHost {
public:
    std::vector<Answer> answers; // to the questions in turn, then Cancel
    std::vector<std::pair<std::string, std::string>> asked;
    std::function<void()> onAsk;
    bool resolve = true;
    int resolveCalls = 0;
    std::vector<OEdit> edits;

    void ShowMatch(OOffset, int) override {}
    Answer ConfirmReplace(const std::string& source, const std::string& target) override {
        asked.emplace_back(source, target);
        if (onAsk) onAsk();
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : Answer::Cancel;
    }
    bool ResolvePending() override {
        ++resolveCalls;
        return resolve;
    }
    void Edited(const OEdit& edit) override { edits.push_back(edit); }
};

constexpr OFindOptions kDown{.matchCase = true};
constexpr OFindOptions kUp{.matchCase = true, .down = false};
constexpr OFindOptions kReplace{.matchCase = true, .replace = true};
// Work buffers from the smallest a test may ask for up: many blocks, or one.
constexpr std::size_t kLimits[] = {256, 300, 521, 4096};

class FindStateTest : public ::testing::Test {
protected:
    void TearDown() override {
        OSearchBuffer::SetLimitForTesting(0);
        OTransferBuffer::FailAllocationsForTesting(0);
        OTransferBuffer::SetLimitForTesting(0);
    }
    // The disk file, or a new memory document, holding content.
    void Open(const Bytes& content, bool memory = false) {
        disk.Close();
        path = dir.Write("data.bin", content);
        if (memory) {
            ASSERT_TRUE(mem.Open("", OAccess::ReadWrite, ODisposition::CreateAlways));
            ASSERT_EQ(mem.WriteAt(0, content.data(), content.size()), content.size());
        } else {
            ASSERT_TRUE(disk.Open(path, OAccess::Read, ODisposition::OpenExisting));
            disk.Touched(); // the same file object, new bytes behind it
        }
        file = memory ? static_cast<OFile*>(&mem) : &disk;
        platform.Clear();
        host.asked.clear();
        host.edits.clear();
    }
    Bytes Content() const { return file == &mem ? mem.Data() : ReadWholeFile(path); }
    OOffset Find(std::string_view text, OFindOptions options = kDown, OOffset caret = 0,
                 OOffset selectionBegin = -1, OOffset selectionEnd = -1) {
        return finder.Run(*file, std::string(text), "", options, caret, selectionBegin,
                          selectionEnd, false, host);
    }
    OOffset Replace(std::string_view text, std::string_view replacement,
                    std::vector<Answer> answers, OOffset caret = 0, OFindOptions options = kReplace,
                    OOffset selectionBegin = -1, OOffset selectionEnd = -1) {
        host.answers = std::move(answers);
        host.asked.clear();
        return finder.Run(*file, std::string(text), std::string(replacement), options, caret,
                          selectionBegin, selectionEnd, false, host);
    }
    OOffset Next() { return finder.FindNext(*file, host); }
    OOffset Prev() { return finder.FindPrev(*file, host); }
    // What the view shows now, through the search while it is attached.
    Bytes ViewContent() {
        Bytes view(static_cast<std::size_t>(finder.ViewLength(*file)));
        if (view.empty()) return view;
        std::ptrdiff_t n = finder.ReadThrough(*file, 0, view.data(), view.size());
        if (n < 0) n = static_cast<std::ptrdiff_t>(file->ReadAt(0, view.data(), view.size()));
        view.resize(static_cast<std::size_t>(n));
        return view;
    }
    bool StatusShown(const std::string& text) const {
        const auto& h = platform.StatusHistory();
        return std::find(h.begin(), h.end(), text) != h.end();
    }
    bool TotalsShown() const {
        const auto& h = platform.StatusHistory();
        return std::any_of(h.begin(), h.end(),
                           [](const std::string& s) { return s.find("Total") != s.npos; });
    }

    OScriptedPlatform platform;
    OTempDir dir;
    OFaultyFileIo io;
    ODiskFile disk{io};
    OMemFile mem;
    OFile* file = &disk;
    std::string path;
    OFinder finder;
    const OFindState& state = finder.State();
    OTestHost host;
};

// Letters from a small alphabet.
Bytes Filler(std::size_t size, unsigned seed, std::string_view alphabet = "xyz") {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (OByte& b : out)
        b = static_cast<OByte>(alphabet[rng() % alphabet.size()]);
    return out;
}

void Plant(Bytes& data, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
}

std::string RandomPattern(std::mt19937& rng, std::string_view alphabet, std::size_t minLength,
                          std::size_t maxLength, bool needLiteral) {
    const std::size_t length = minLength + rng() % (maxLength - minLength + 1);
    std::string text;
    bool literal = false;
    for (std::size_t k = 0; k < length; ++k) {
        const bool wild = rng() % 5 == 0;
        text += wild ? std::string("\\?") : std::string(1, alphabet[rng() % alphabet.size()]);
        literal = literal || !wild;
    }
    if (needLiteral && !literal) text += alphabet[0];
    return text;
}

// ---- Patterns, messages and the search's state -------------------------------------

TEST_F(FindStateTest, MessagesShowTheDisplayTextAndOemTextIsCodePage437) {
    // The wildcard matches the byte chosen to stand for it (0 here) too.
    Open(BytesOf(std::string("..AB\x78"
                             "D..AB\0D..",
                             13)));
    EXPECT_EQ(Find("AB\\?D"), 2);
    EXPECT_TRUE(StatusShown("Processing '41 42 ?? 44' ..."));
    EXPECT_EQ(state.MatchLength(), 4);
    EXPECT_EQ(Next(), 8);
    EXPECT_EQ(Find("QQ"), -1);
    EXPECT_EQ(platform.Text(), "Pattern '51 51' not found");
    EXPECT_EQ(state.LastFound(), -1);
    EXPECT_TRUE(platform.Messages().empty());
    // "é" is 0x82 in code page 437, "É" 0x90 (0xE9 in Windows-1252).
    Open(Bytes{'.', 0x82, '.', 0x90, '.', 0xE9});
    EXPECT_EQ(finder.Run(*file, "\xC3\xA9", "", kDown, 0, -1, -1, true, host), 1);
    EXPECT_EQ(Next(), -1);
    EXPECT_EQ(finder.Run(*file, "\xC3\xA9", "", {}, 0, -1, -1, true, host), 1);
    EXPECT_EQ(Next(), 3);
    EXPECT_EQ(platform.StatusHistory().front(), "Processing '82' ...");
}

TEST_F(FindStateTest, UnusableOversizedOrUnallocatablePatternsFindNothingQuietly) {
    // Without a work buffer: "Out of memory"; half of one does.
    Open(BytesOf("xxAB\\yy"));
    OTransferBuffer::FailAllocationsForTesting(100);
    EXPECT_EQ(Find("B"), -1);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"Out of memory"});
    EXPECT_EQ(state.LastFound(), -1);
    OTransferBuffer::FailAllocationsForTesting(1);
    EXPECT_EQ(Find("AB\\"), 2);
    EXPECT_EQ(state.MatchLength(), 3);
    Open(Bytes(300, 'A'));
    EXPECT_EQ(Find(""), -1);
    EXPECT_EQ(Find("\\?\\?\\?"), -1);
    EXPECT_FALSE(state.CanFindNext() || state.CanFindPrev());
    EXPECT_EQ(Next(), -1);
    EXPECT_TRUE(platform.ProgressWindows().empty());
    EXPECT_TRUE(platform.Messages().empty());
    // 10,000 characters are cut to 127 bytes; a trailing backslash is a byte.
    EXPECT_EQ(Find(std::string(10000, 'A')), 0);
    EXPECT_EQ(state.MatchLength(), 127);
    EXPECT_EQ(Find(std::string(10000, 'A'), kUp, 300), 300 - 127);
    EXPECT_EQ(Find(std::string(126, 'A') + "\\"), -1);
}

TEST_F(FindStateTest, FindPrevIsEnabledOnlyOnceTheSearchLeftTheCaret) {
    Bytes data = Filler(400, 2);
    for (std::size_t at : {99u, 200u, 300u})
        Plant(data, at, "ABC");
    Open(data);
    EXPECT_EQ(Find("ABC", kDown, 100), 200); // 99 lies before the area
    EXPECT_TRUE(state.CanFindNext());
    EXPECT_FALSE(state.CanFindPrev());
    EXPECT_EQ(Next(), 300);
    EXPECT_TRUE(state.CanFindPrev());
    EXPECT_EQ(Prev(), 200); // the whole file, backwards
    EXPECT_EQ(Prev(), 99);
    EXPECT_TRUE(state.CanFindNext());
    EXPECT_EQ(Prev(), -1);
    EXPECT_FALSE(state.CanFindPrev());
    EXPECT_EQ(Next(), 99); // from the origin, the last match
    EXPECT_EQ(Next(), 200);
    EXPECT_EQ(Next(), 300);
    // A failed search leaves the origin: Find prev returns to the last match.
    EXPECT_EQ(Next(), -1);
    EXPECT_EQ(platform.Text(), "Pattern '41 42 43' not found");
    EXPECT_TRUE(state.CanFindPrev());
    EXPECT_EQ(Prev(), 300);
}

TEST_F(FindStateTest, TheBufferIsNeverServedAfterTheFileChanged) {
    Bytes data = Filler(3000, 4);
    Plant(data, 10, "ABC");
    Open(data);
    EXPECT_EQ(Find("ABC"), 10);
    // Typed bytes make a match behind the last one, inside the loaded block.
    for (OOffset at = 20; at < 23; ++at)
        ASSERT_TRUE(disk.SetByte(at, data[static_cast<std::size_t>(at)], "ABC"[at - 20]));
    EXPECT_EQ(Next(), 20);
    ASSERT_TRUE(disk.UndoByte(21));
    EXPECT_EQ(Prev(), 10);
    EXPECT_EQ(Next(), -1);
    // And a write through another path of the same document.
    const OByte abc[] = {'A', 'B', 'C'};
    disk.DiscardPending();
    ASSERT_EQ(disk.WriteAt(2000, abc, 3), 3u);
    EXPECT_EQ(Find("ABC", kDown, 11), 2000);
}

// Cancel says where the scan stopped: the end of the last block read down,
// its start up. Regression: a cancelled count showed no total; it shows
// what it counted.
TEST_F(FindStateTest, CancelSaysWhereTheSearchStopped) {
    OSearchBuffer::SetLimitForTesting(256);
    const OFindOptions count{.matchCase = true, .countOnly = true};
    const struct {
        OFindOptions options;
        OOffset caret;
        int step;
        std::string text, last;
    } cases[] = {{kDown, 0, 3, "Find canceled at 02F9", ""},  // blocks at 0, 254, 508
                 {kUp, 5000, 2, "Find canceled at 118A", ""}, // ends 5000, 4746
                 {count, 0, 2, "Find canceled at 01FD", "Total found: 510"}}; // 255 + 256 - 2
    for (const auto& c : cases) {
        Open(c.options.countOnly ? Bytes(3000, 'A') : Filler(5000, 5));
        platform.CancelAtProgressStep(c.step);
        EXPECT_EQ(Find(c.options.countOnly ? "AA" : "ABC", c.options, c.caret), -1);
        EXPECT_TRUE(StatusShown(c.text));
        EXPECT_EQ(platform.Text(), c.last.empty() ? c.text : c.last);
    }
    platform.CancelAtProgressStep(0);
}

// Regression: a find, or a Find next, that failed on a read error or a
// damaged guard left "Processing ..." in the status bar for ever.
TEST_F(FindStateTest, AFailedFindTakesProcessingAway) {
    OSearchBuffer::SetLimitForTesting(256);
    Bytes data(5000, 'x');
    Plant(data, 100, "ABC");
    Plant(data, 4000, "ABC");
    Open(data);
    platform.SetText("before");
    io.failReadAt = io.reads + 1;
    io.readErrno = EIO;
    EXPECT_EQ(Find("ABC"), -1);
    EXPECT_EQ(platform.Text(), "before");
    io.failReadAt = 0;
    ASSERT_EQ(Find("ABC"), 100);
    platform.SetText("before");
    finder.Buffer().DamageGuardForTesting();
    EXPECT_EQ(Next(), -1);
    EXPECT_EQ(platform.Text(), "before");
}

// ---- Replace ------------------------------------------------------------------------

TEST_F(FindStateTest, ReplaceAsksWithTheDisplayTextsAndSettlesTypedBytesFirst) {
    Open(BytesOf("AAA"));
    EXPECT_EQ(Replace("A", "BB", {Answer::No, Answer::No, Answer::No}), 2);
    EXPECT_EQ(platform.Text(), Totals(3, 0));
    EXPECT_EQ(host.asked, (std::vector<std::pair<std::string, std::string>>(3, {"41", "42 42"})));
    EXPECT_EQ(host.resolveCalls, 1);
    // Typed bytes the user does not settle, or a host that says it did but
    // leaves them pending: nothing is replaced.
    Open(BytesOf("..AB.."));
    ASSERT_TRUE(disk.SetByte(0, '.', 'A'));
    for (bool resolve : {false, true}) {
        host.resolve = resolve;
        EXPECT_EQ(Replace("AB", "x", {Answer::All}), -1);
        EXPECT_EQ(Content(), BytesOf("..AB.."));
    }
}

TEST_F(FindStateTest, AChangedGuardSaysSoAndReportsNothing) {
    OSearchBuffer::SetLimitForTesting(256);
    Bytes data = Filler(1000, 7);
    for (std::size_t at : {10u, 100u, 600u, 700u})
        Plant(data, at, "AB");
    Open(data);
    int asked = 0;
    host.onAsk = [&] {
        if (++asked == 3) finder.Buffer().DamageGuardForTesting();
    };
    EXPECT_EQ(Replace("AB", "xyz", {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes}), -1);
    EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{"Extra memory error"});
    EXPECT_FALSE(TotalsShown());
    // The first block was written when the next one was loaded; the match in
    // the block with the damaged guard keeps its old bytes.
    EXPECT_EQ(Prefixes(data, 0, data.size(), Plain("AB"), Plain("xyz"), true, kAll, Content()),
              std::vector<unsigned>{2});
    EXPECT_FALSE(finder.Attached());
}

// Regression: a write-back moves the tail behind the buffer's window, and a
// move that a failed read or write interrupted left old bytes behind the new
// ones, or the tail partly doubled.
TEST_F(FindStateTest, AFailedTailMoveInAConfirmedWriteBackLeavesNoStaleBytes) {
    OSearchBuffer::SetLimitForTesting(300);
    const Bytes data = Filler(1500, 21, "xyAB");
    const std::vector<Answer> yes(200, Answer::Yes);
    for (std::size_t transfer : {0u, 64u}) {
        OTransferBuffer::SetLimitForTesting(transfer);
        for (const std::string replacement : {"", "xyzzy"}) {
            for (int k = 1; k <= 24; ++k) {
                const bool reads = k > 12;
                SCOPED_TRACE(replacement + (reads ? " read " : " write ") + std::to_string(k) +
                             " transfer " + std::to_string(transfer));
                Open(data);
                (reads ? io.failReadAt : io.failWriteAt) =
                    (reads ? io.reads : io.writes) + (k - 1) % 12 + 1;
                io.writeErrno = EIO;
                Replace("AB", replacement, yes);
                io.failReadAt = io.failWriteAt = 0;
                EXPECT_FALSE(Prefixes(data, 0, data.size(), Plain("AB"), Plain(replacement), true,
                                      kAll, Content())
                                 .empty());
            }
        }
    }
}

// ---- Against the naive rules on random files ---------------------------------------------

// Random files, disk and memory, searched whole or in a selection: Find,
// Find next and prev and Count agree with the naive rules. Then a replace
// with answers of four kinds - All; Yes to each; Yes or No to each, so that
// every block is written back as the next one loads; any answer, All among
// the first eight, so that the passes take over - and in half the runs one
// fault: a failed write, read, reservation, truncation or size query, a
// Cancel, a changed guard. Without a fault the replace agrees with the
// naive rules: bytes, totals, the one edit a change of length reports, what
// the view shows at questions and, while Replace All runs its passes, a
// file that holds the old or the new bytes of every match. With one, the
// file is the original with the first j replacements made, every message
// is one the fault explains, and a run that failed shows no totals.
TEST_F(FindStateTest, RandomRunsAgreeWithTheNaiveRules) {
    const unsigned seed = TestSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const char* roundsText = std::getenv("QUORVALIS_ROUNDS");
    const int rounds = roundsText ? std::atoi(roundsText) : 500;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        OSearchBuffer::SetLimitForTesting(kLimits[rng() % 4]);
        const std::size_t transfers[] = {0, 64, 100};
        OTransferBuffer::SetLimitForTesting(transfers[rng() % 3]);
        // Dense matches with and without case, or sparse ones that leave the
        // passes long stretches to move.
        const std::size_t kind = rng() % 3;
        const bool matchCase = kind != 1;
        const std::string_view alphabets[] = {"ABC", "aAbB", "xyAB"};
        const bool memory = rng() % 4 == 0;
        const std::size_t size = rng() % 3000;
        const Bytes data = Filler(size, static_cast<unsigned>(rng()), alphabets[kind]);
        Open(data, memory);
        const std::string text = RandomPattern(rng, kind == 2 ? "AB" : alphabets[kind], 1, 5, true);
        const OPlain pattern = Plain(text);
        const auto length = static_cast<OOffset>(pattern.size());
        const auto caret = static_cast<OOffset>(rng() % (size + 1));
        // "Selection only" in a third of the rounds, without a selection in
        // half of those: then the whole file is searched.
        const bool selectionOnly = rng() % 3 == 0;
        OOffset first = -1;
        OOffset last = -1;
        if (selectionOnly && size > 0 && rng() % 2 == 0) {
            first = static_cast<OOffset>(rng() % size);
            last = first + static_cast<OOffset>(rng() % (size - static_cast<std::size_t>(first)));
        }
        SCOPED_TRACE("pattern " + text + " caret " + std::to_string(caret) + " selection " +
                     std::to_string(first) + "-" + std::to_string(last) +
                     (memory ? " memory" : " disk"));

        // Matches lie wholly inside [begin, end). Down: every match from the
        // start on; up: every match that ends by the start plus the
        // pattern's length, last first. A selection starts at the caret
        // inside it, else at its edge.
        const bool selected = first >= 0;
        const bool fromCaret = !selected || (first <= caret && caret < last);
        const OOffset begin = selected ? first : 0;
        const OOffset end = selected ? last + 1 : static_cast<OOffset>(size);
        const OOffset downStart = fromCaret ? caret : begin;
        const OOffset upEnd = std::min((fromCaret ? caret : end) + length, end);
        std::vector<OOffset> down, up, got;
        for (OOffset p = begin; p + length <= end; ++p) {
            if (!MatchesAt(data, static_cast<std::size_t>(p), pattern, matchCase)) continue;
            if (p >= downStart) down.push_back(p);
            if (p + length <= upEnd) up.insert(up.begin(), p);
        }
        const auto options = [&](bool downward, bool count, bool replace) {
            return OFindOptions{.matchCase = matchCase,
                                .replace = replace,
                                .countOnly = count,
                                .down = downward,
                                .selectionOnly = selectionOnly};
        };
        const auto find = [&](bool downward, bool count) {
            return Find(text, options(downward, count, false), caret, first, last);
        };
        for (OOffset r = find(true, false); r >= 0; r = Next())
            got.push_back(r);
        EXPECT_EQ(got, down);
        EXPECT_EQ(platform.Text().rfind("Pattern '", 0), 0u) << platform.Text();
        got.clear();
        for (OOffset r = find(false, false); r >= 0; r = Prev())
            got.push_back(r);
        EXPECT_EQ(got, up);
        find(true, true);
        EXPECT_EQ(platform.Text(), "Total found: " + std::to_string(down.size()));
        find(false, true);
        EXPECT_EQ(platform.Text(), "Total found: " + std::to_string(up.size()));
        EXPECT_FALSE(state.CanFindNext() || state.CanFindPrev());

        // Now and then a replacement longer than a block.
        const std::string replacementText =
            RandomPattern(rng, "XYZ", 0, rng() % 8 == 0 ? 60 : 7, false);
        const OPlain replacement = Plain(replacementText);
        const int mix = static_cast<int>(rng() % 4);
        std::vector<Answer> answers;
        for (std::size_t k = 0; k <= size; ++k)
            answers.push_back(mix == 0   ? Answer::All
                              : mix == 1 ? Answer::Yes
                              : mix == 2 ? static_cast<Answer>(rng() % 2)
                                         : static_cast<Answer>(rng() % 2 == 0 ? 0 : rng() % 4));
        if (mix == 3) answers[rng() % std::min<std::size_t>(answers.size(), 8)] = Answer::All;
        const Decide decide = [&](unsigned k) { return k <= size ? answers[k] : Answer::Cancel; };
        const auto start = static_cast<std::size_t>(downStart);
        const auto areaEnd = static_cast<std::size_t>(end);
        const ORefReplace ref =
            RefReplace(data, start, areaEnd, pattern, replacement, matchCase, decide);

        const int fault = rng() % 2 == 0 ? -1 : static_cast<int>(rng() % 7);
        const int k = 1 + static_cast<int>(rng() % 40);
        const int code = rng() % 2 ? ENOSPC : EIO;
        const std::string eio = path + ": Input/output error";
        const std::string failed = code == EIO ? eio : "Disk full. Try again ?";
        std::vector<std::string> allowed = {"Operation aborted"};
        int pumps = 0;
        std::size_t asked = 0;
        switch (fault) {
        case -1:
            // The view is compared at some questions and pumps only: each
            // comparison reads the whole file.
            host.onAsk = [&] {
                ASSERT_LT(asked, ref.states.size());
                if (asked % 16 == 0) {
                    EXPECT_EQ(ViewContent(), ref.states[asked]);
                }
                ++asked;
            };
            platform.OnPump([&] {
                if (mix != 0 || !finder.Attached() || pumps++ % 4 != 0) return;
                EXPECT_FALSE(Prefixes(data, start, areaEnd, pattern, replacement, matchCase, kAll,
                                      ViewContent())
                                 .empty());
            });
            break;
        case 0:
            io.failWriteAt = io.writes + k;
            io.writeErrno = code;
            allowed.push_back(failed);
            break;
        case 1:
            io.failReadAt = io.reads + k;
            io.readErrno = EIO;
            allowed.push_back(eio);
            break;
        case 2:
            io.fallocateFailures = 1;
            io.fallocateErrno = code;
            allowed.push_back(failed);
            break;
        case 3:
            io.failTruncateErrno = EIO;
            allowed.push_back(eio);
            break;
        case 4:
            platform.CancelAtProgressStep(k);
            break;
        case 5:
            platform.OnPump([&] {
                if (finder.Attached() && ++pumps == k) finder.Buffer().DamageGuardForTesting();
            });
            host.onAsk = [&] {
                if (++asked == static_cast<std::size_t>(k % 5 + 1))
                    finder.Buffer().DamageGuardForTesting();
            };
            allowed.push_back("Extra memory error");
            break;
        case 6:
            io.failFStatAt = io.fstats + k;
            // A size query that fails while the file is reopened for writing
            // reads as a file replaced on disk.
            allowed.insert(
                allowed.end(),
                {"Filesize getting error", eio,
                 path + ": The file was replaced or removed on disk after it was opened"});
            break;
        }
        SCOPED_TRACE("replacement " + replacementText + " mix " + std::to_string(mix) + " fault " +
                     std::to_string(fault) + " k " + std::to_string(k));
        platform.Clear();
        platform.SetText(""); // no totals of the finds to restore
        const OOffset r =
            Replace(text, replacementText, answers, caret, options(true, false, true), first, last);
        io.failWriteAt = io.failReadAt = io.fallocateFailures = io.failTruncateErrno = 0;
        io.failFStatAt = 0;
        platform.CancelAtProgressStep(0);
        platform.OnPump(nullptr);
        host.onAsk = nullptr;
        EXPECT_FALSE(finder.Attached());
        const Bytes content = Content();

        if (fault < 0) {
            EXPECT_EQ(content, ref.result);
            EXPECT_EQ(asked, ref.states.size());
            EXPECT_EQ(r, ref.last);
            EXPECT_TRUE(platform.Messages().empty());
            // A change of length is one edit, and the bytes outside it are untouched.
            ASSERT_EQ(host.edits.size(), ref.result.size() != data.size() ? 1u : 0u);
            if (!host.edits.empty()) {
                const OEdit& e = host.edits[0];
                ASSERT_LE(static_cast<std::size_t>(e.offset + e.removed), data.size());
                ASSERT_EQ(e.Delta(), static_cast<OOffset>(ref.result.size() - data.size()));
                EXPECT_TRUE(std::equal(data.begin(), data.begin() + e.offset, ref.result.begin()));
                EXPECT_TRUE(std::equal(data.begin() + e.offset + e.removed, data.end(),
                                       ref.result.begin() + e.offset + e.inserted));
            }
            if (ref.found == 0) {
                EXPECT_EQ(platform.Text().rfind("Pattern '", 0), 0u) << platform.Text();
            } else {
                EXPECT_EQ(platform.Text(), Totals(ref.found, ref.replaced));
            }
            if (ref.found > 0 && mix < 2) {
                EXPECT_EQ(state.MatchLength(), static_cast<int>(replacement.size()));
            }
            continue;
        }
        const auto texts = platform.MessageTexts();
        for (const std::string& t : texts)
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), t), allowed.end()) << t;
        // A truncation that fails cannot shorten the file: then the result
        // may be followed by bytes the run could not cut off.
        const std::vector<unsigned> made = Prefixes(data, start, areaEnd, pattern, replacement,
                                                    matchCase, decide, content, fault == 3);
        if (made.empty()) {
            ADD_FAILURE() << "the file is no prefix of the replacements";
            continue;
        }
        // WriteBlock reads the size before it writes only to undo a failed
        // write: a failure there is said and the write goes on.
        const bool sizeOnly = fault == 6 && made.back() == ref.replaced && !texts.empty() &&
                              std::all_of(texts.begin(), texts.end(), [](const std::string& t) {
                                  return t == "Filesize getting error";
                              });
        const bool failedRun = !texts.empty() && !sizeOnly;
        if (failedRun) {
            EXPECT_FALSE(TotalsShown()) << platform.Text();
        }
        if (!failedRun && fault != 4 && !sizeOnly) {
            EXPECT_EQ(made.back(), ref.replaced);
            if (ref.found > 0) {
                EXPECT_EQ(platform.Text(), Totals(ref.found, ref.replaced));
            }
        }
        if (!failedRun && TotalsShown()) {
            EXPECT_TRUE(std::any_of(made.begin(), made.end(), [&](unsigned j) {
                return platform.Text().find("Total replaces: " + std::to_string(j)) !=
                       std::string::npos;
            })) << platform.Text();
        }
    }
}

} // namespace
