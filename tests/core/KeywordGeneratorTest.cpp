#include "core/KeywordGenerator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "core/LineList.h"
#include "tests/support/MemoryPanes.h"

namespace morvelin {
namespace {

// Each line followed by CR LF, the way both outputs end every line.
Text Lines(const std::vector<std::string>& lines) {
    Text text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

std::string SetCall(int pane, const Text& text) {
    return "set " + std::to_string(pane) + " " + std::to_string(text.size());
}

// The combination built the plain way, one piece at a time.
Text ReferenceCombine(const LineList& first, const LineList& second) {
    Text text;
    for (std::size_t i = 1; i <= first.Count(); ++i) {
        for (std::size_t j = 1; j <= second.Count(); ++j) {
            text.append(first.Item(i)).append(" ").append(second.Item(j)).append("\r\n");
        }
    }
    return text;
}

MemoryPanes PanesWith(Text products, Text attributes, Text classes) {
    return MemoryPanes(
        {std::move(products), std::move(attributes), std::move(classes), "old 4\r\n", "old 5\r\n"});
}

// ---- CombineLines

TEST(CombineLines, EitherListEmptyGivesTheEmptyText) {
    const std::pair<Text, Text> cases[] = {{"", "a"}, {"a", ""}, {"", ""}};
    for (const auto& [first, second] : cases) {
        const LineList a = SplitLines(first);
        const LineList b = SplitLines(second);
        EXPECT_EQ(KeywordGenerator::CombineLines(a, b), "") << first << "|" << second;
        EXPECT_EQ(KeywordGenerator::CombinedSize(a, b), OutputSize{});
    }
}

TEST(CombineLines, GroupsByFirstListInSecondListOrder) {
    const LineList first = SplitLines("p\r\nq");
    const LineList second = SplitLines("1\r\n2\r\n3");
    const Text expected = Lines({"p 1", "p 2", "p 3", "q 1", "q 2", "q 3"});
    EXPECT_EQ(KeywordGenerator::CombineLines(first, second), expected);
    EXPECT_EQ(KeywordGenerator::CombinedSize(first, second), (OutputSize{expected.size(), 6}));
}

// ---- Generate: the sequence of pane operations and the worked example

TEST(Generate, WorkedExampleInPaneOrder) {
    MemoryPanes panes = PanesWith("shirt\r\ndress\r\n", "red\r\nlong", "women");
    const GenerationResult result = KeywordGenerator::Generate(panes);

    const Text twoPart = Lines({"shirt red", "shirt long", "dress red", "dress long"});
    const Text threePart =
        Lines({"shirt red women", "shirt long women", "dress red women", "dress long women"});
    EXPECT_EQ(result.outcome, GenerationOutcome::Done);
    EXPECT_EQ(panes.Pane(4), twoPart);
    EXPECT_EQ(panes.Pane(5), threePart);
    EXPECT_EQ(panes.Calls(), (std::vector<std::string>{"get 1", "get 2", "get 3", "set 4 0",
                                                       SetCall(4, twoPart), "get 4", "get 3",
                                                       "set 5 0", SetCall(5, threePart), "close"}));
    EXPECT_EQ(result.plan, (GenerationPlan{{twoPart.size(), 4}, {threePart.size(), 4}}));
}

TEST(Generate, WorkedExampleWithTwoClassWords) {
    MemoryPanes panes = PanesWith("shirt\r\ndress\r\n", "red\r\nlong", "women\r\nsummer");
    EXPECT_EQ(KeywordGenerator::Generate(panes).outcome, GenerationOutcome::Done);
    EXPECT_EQ(panes.Pane(5), Lines({"shirt red women", "shirt red summer", "shirt long women",
                                    "shirt long summer", "dress red women", "dress red summer",
                                    "dress long women", "dress long summer"}));
}

struct GenerateCase {
    const char* name;
    Text products, attributes, classes;
    Text twoPart, threePart;
};

void PrintTo(const GenerateCase& c, std::ostream* os) {
    *os << c.name;
}

class GenerateEdgeTest : public ::testing::TestWithParam<GenerateCase> {};

// Panes 4 and 5 start with old text, which every run must discard without reading.
TEST_P(GenerateEdgeTest, FillsBothOutputs) {
    const GenerateCase& c = GetParam();
    MemoryPanes panes = PanesWith(c.products, c.attributes, c.classes);
    EXPECT_EQ(KeywordGenerator::Generate(panes).outcome, GenerationOutcome::Done);
    EXPECT_EQ(panes.Pane(4), c.twoPart);
    EXPECT_EQ(panes.Pane(5), c.threePart);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GenerateEdgeTest,
    ::testing::Values(GenerateCase{"NoProducts", "", "red", "women", "", ""},
                      GenerateCase{"NoAttributes", "shirt", "", "women", "", ""},
                      GenerateCase{"NoClassWords", "shirt", "red", "", Lines({"shirt red"}), ""},
                      GenerateCase{"FinalBreaksChangeNothing", "shirt\r\n", "red\r\n", "women\r\n",
                                   Lines({"shirt red"}), Lines({"shirt red women"})},
                      GenerateCase{"EmptyAttributeBetween", "shirt", "red\r\n\r\nlong", "w",
                                   Lines({"shirt red", "shirt ", "shirt long"}),
                                   Lines({"shirt red w", "shirt  w", "shirt long w"})},
                      GenerateCase{"EmptyProduct", "\r\nshirt", "red", "w",
                                   Lines({" red", "shirt red"}), Lines({" red w", "shirt red w"})},
                      GenerateCase{"EmptyClassWord", "shirt", "red", "\r\nw", Lines({"shirt red"}),
                                   Lines({"shirt red ", "shirt red w"})},
                      GenerateCase{"SpacesStay", " big  shirt ", "red", "w",
                                   Lines({" big  shirt  red"}), Lines({" big  shirt  red w"})},
                      GenerateCase{"DuplicatesStay", "shirt\r\nshirt", "red", "w",
                                   Lines({"shirt red", "shirt red"}),
                                   Lines({"shirt red w", "shirt red w"})},
                      // A lone lead byte ending pane 2 takes the CR of each group's last line, so
                      // pane 4 gives back fewer, longer lines than stage 1 wrote.
                      GenerateCase{"LoneLeadByteEndsAttributes", "p\r\nq", "r\xB0", "w",
                                   "p r\xB0\r\nq r\xB0\r\n", "p r\xB0\r\nq r\xB0\r\n w\r\n"}),
    [](const ::testing::TestParamInfo<GenerateCase>& info) {
        return std::string(info.param.name);
    });

// ---- Generate: the size limit

Text NumberedLines(int count, const std::string& prefix) {
    Text text;
    for (int k = 0; k < count; ++k) {
        text += prefix + std::to_string(k) + "\r\n";
    }
    return text;
}

struct RefusalCase {
    const char* name;
    GenerationLimit limit;
    GenerationOutcome outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class GenerateLimitTest : public ::testing::TestWithParam<RefusalCase> {};

// 2 x 2 x 2 items: pane 4 gets 4 lines of 5 bytes ("p r\r\n"), pane 5 8 lines of 7 bytes.
TEST_P(GenerateLimitTest, RefusesBeforeSettingAnyPane) {
    const RefusalCase& c = GetParam();
    MemoryPanes panes = PanesWith("p\r\nq", "r\r\ns", "v\r\nw");
    GenerateOptions options;
    options.limit = c.limit;
    const GenerationResult result = KeywordGenerator::Generate(panes, options);

    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.plan, (GenerationPlan{{20, 4}, {56, 8}}));
    if (c.outcome == GenerationOutcome::Refused) {
        EXPECT_EQ(panes.Calls(), (std::vector<std::string>{"get 1", "get 2", "get 3"}));
        EXPECT_EQ(panes.Pane(4), "old 4\r\n");
        EXPECT_EQ(panes.Pane(5), "old 5\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, GenerateLimitTest,
    ::testing::Values(RefusalCase{"BothWithin", {56, 8}, GenerationOutcome::Done},
                      RefusalCase{"ThreePartBytesOver", {55, 8}, GenerationOutcome::Refused},
                      RefusalCase{"ThreePartLinesOver", {56, 7}, GenerationOutcome::Refused},
                      RefusalCase{"TwoPartBytesOver", {19, 100}, GenerationOutcome::Refused},
                      RefusalCase{"TwoPartLinesOver", {1000, 3}, GenerationOutcome::Refused}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(Generate, NeverGoesBeyondTheFileFormatWhateverTheLimit) {
    // 50,000 x 50,000 lines would be far over 2^31 - 1 bytes; the plan says so without building.
    MemoryPanes panes = PanesWith(NumberedLines(50000, "p"), NumberedLines(50000, "a"), "w");
    GenerateOptions options;
    options.limit = {UINT64_MAX, UINT64_MAX};
    const GenerationResult result = KeywordGenerator::Generate(panes, options);
    EXPECT_EQ(result.outcome, GenerationOutcome::Refused);
    EXPECT_EQ(result.plan.twoPart.lines, 2500000000u);
    EXPECT_GT(result.plan.twoPart.bytes, kMaxTextBytes);
    EXPECT_EQ(panes.Calls().size(), 3u);
}

// The panes of a window that keeps the file as it is when a run empties an output pane.
class ClearingPanes final : public PaneAccess {
  public:
    explicit ClearingPanes(MemoryPanes& panes) : panes_(panes) {}
    Text GetPaneText(int pane) override { return panes_.GetPaneText(pane); }
    void SetPaneText(int pane, Text text) override { panes_.SetPaneText(pane, std::move(text)); }
    void CloseAllFiles() override { panes_.CloseAllFiles(); }
    void ClearPaneForRun(int pane) override {
        clears.push_back(pane);
        panes_.SetPaneText(pane, Text());
    }
    std::vector<int> clears;

  private:
    MemoryPanes& panes_;
};

TEST(Generate, EmptiesEachOutputAsAClearForTheRun) {
    MemoryPanes plain = PanesWith("shirt\r\ndress\r\n", "red\r\nlong", "women");
    KeywordGenerator::Generate(plain);
    MemoryPanes panes = PanesWith("shirt\r\ndress\r\n", "red\r\nlong", "women");
    ClearingPanes clearing(panes);
    KeywordGenerator::Generate(clearing);

    // The empty sets are the clears, nothing else changes.
    EXPECT_EQ(clearing.clears, (std::vector<int>{4, 5}));
    EXPECT_EQ(panes.Calls(), plain.Calls());
}

TEST(Generate, APlanTheCallerRejectsIsRefusedAtEitherCheck) {
    // Accepted as planned, but what pane 4 gives back makes stage 2 larger than accepted.
    MemoryPanes panes = PanesWith("p", "r", "w");
    panes.SetOnSet([&panes](int pane) {
        if (pane == kTwoPartPane && !panes.Pane(4).empty()) {
            panes.Pane(4) = NumberedLines(100, "x");
        }
    });
    std::vector<GenerationPlan> asked;
    GenerateOptions options;
    options.accepts = [&asked](const GenerationPlan& plan) {
        asked.push_back(plan);
        return plan.threePart.lines < 10;
    };
    const GenerationResult result = KeywordGenerator::Generate(panes, options);

    EXPECT_EQ(result.outcome, GenerationOutcome::Refused);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].threePart.lines, 1u);
    EXPECT_EQ(asked[1].threePart.lines, 100u);
    EXPECT_EQ(panes.Pane(5), "old 5\r\n");

    MemoryPanes untouched = PanesWith("p\r\nq", "r", "w");
    options.accepts = [](const GenerationPlan&) { return false; };
    EXPECT_EQ(KeywordGenerator::Generate(untouched, options).outcome, GenerationOutcome::Refused);
    EXPECT_EQ(untouched.Calls(), (std::vector<std::string>{"get 1", "get 2", "get 3"}));
}

// ---- Generate: stage 2 combines what pane 4 gives back

TEST(Generate, ChecksTheLimitAgainForWhatPane4GivesBack) {
    MemoryPanes panes = PanesWith("p", "r", "w");
    panes.SetOnSet([&panes](int pane) {
        if (pane == kTwoPartPane && !panes.Pane(4).empty()) {
            panes.Pane(4) = NumberedLines(100, "x");
        }
    });
    GenerateOptions options;
    options.limit = {100, UINT64_MAX};  // the planned 5 and 7 bytes fit, 100 lines do not
    const GenerationResult result = KeywordGenerator::Generate(panes, options);

    EXPECT_EQ(result.outcome, GenerationOutcome::Refused);
    EXPECT_EQ(result.plan.threePart.lines, 100u);
    EXPECT_EQ(panes.Calls(), (std::vector<std::string>{"get 1", "get 2", "get 3", "set 4 0",
                                                       "set 4 5", "get 4", "get 3"}));
    EXPECT_EQ(panes.Pane(5), "old 5\r\n");
}

TEST(Generate, Stage2UsesThePaneNotTheStage1Result) {
    MemoryPanes panes = PanesWith("p", "r", "w");
    panes.SetOnSet([&panes](int pane) {
        if (pane == kTwoPartPane && !panes.Pane(4).empty()) {
            panes.Pane(4) = "x\r\ny";
        }
    });
    const GenerationResult result = KeywordGenerator::Generate(panes);
    EXPECT_EQ(result.outcome, GenerationOutcome::Done);
    EXPECT_EQ(panes.Pane(5), Lines({"x w", "y w"}));
    EXPECT_EQ(result.plan.threePart, (OutputSize{panes.Pane(5).size(), 2}));
}

// ---- Generate: stop and progress

// 300 x 300 x 2 items: stages of 90,000 and 180,000 lines, long enough for progress to be
// reported from inside both combining loops.
MemoryPanes LargePanes() {
    return PanesWith(NumberedLines(300, "p"), NumberedLines(300, "a"), "v\r\nw");
}
constexpr std::uint64_t kLargeTwoPartLines = 90000;
constexpr std::uint64_t kLargeLines = 90000 + 180000;
// Stands for pane 4 holding the complete result of stage 1.
const Text kFullPane4 = "(stage 1)";

struct StopCase {
    const char* name;
    // Sets the stop flag at the chosen point: from a set of a pane, or from a progress report.
    std::function<bool(int pane, const Text& text)> onSet;
    std::function<bool(std::uint64_t done)> onProgress;
    int callsMade;  // pane calls up to and including the one the stop followed
    Text pane4 = kFullPane4;
    Text pane5 = "old 5\r\n";
};

void PrintTo(const StopCase& c, std::ostream* os) {
    *os << c.name;
}

class GenerateStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(GenerateStopTest, SetsNoFurtherPane) {
    const StopCase& c = GetParam();
    MemoryPanes panes = LargePanes();
    std::atomic<bool> stop = false;
    panes.SetOnSet([&](int pane) {
        if (c.onSet && c.onSet(pane, panes.Pane(pane))) {
            stop = true;
        }
    });
    GenerateOptions options;
    options.stop = &stop;
    options.progress = [&](std::uint64_t done, std::uint64_t) {
        if (c.onProgress && c.onProgress(done)) {
            stop = true;
        }
    };
    const GenerationResult result = KeywordGenerator::Generate(panes, options);

    EXPECT_EQ(result.outcome, GenerationOutcome::Stopped);
    EXPECT_EQ(panes.Calls().size(), static_cast<std::size_t>(c.callsMade));
    if (c.pane4 == kFullPane4) {
        EXPECT_EQ(panes.Pane(4), KeywordGenerator::CombineLines(SplitLines(panes.Pane(1)),
                                                                SplitLines(panes.Pane(2))));
    } else {
        EXPECT_EQ(panes.Pane(4), c.pane4);
    }
    EXPECT_EQ(panes.Pane(5), c.pane5);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GenerateStopTest,
    ::testing::Values(
        StopCase{"BeforeTheFirstSet", nullptr, [](std::uint64_t) { return true; }, 3, "old 4\r\n"},
        StopCase{"AtClearingPane4", [](int p, const Text& t) { return p == 4 && t.empty(); },
                 nullptr, 4, ""},
        StopCase{"InsideStage1", nullptr,
                 [](std::uint64_t done) { return done > 0 && done < kLargeTwoPartLines; }, 4, ""},
        StopCase{"AtSettingPane4", [](int p, const Text& t) { return p == 4 && !t.empty(); },
                 nullptr, 5},
        StopCase{"AtClearingPane5", [](int p, const Text&) { return p == 5; }, nullptr, 8,
                 kFullPane4, ""},
        StopCase{"InsideStage2", nullptr,
                 [](std::uint64_t done) { return done > kLargeTwoPartLines && done < kLargeLines; },
                 8, kFullPane4, ""}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST(Generate, ProgressClimbsToThePlannedLines) {
    MemoryPanes panes = LargePanes();
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    GenerateOptions options;
    options.progress = [&](std::uint64_t done, std::uint64_t planned) {
        reports.emplace_back(done, planned);
    };
    ASSERT_EQ(KeywordGenerator::Generate(panes, options).outcome, GenerationOutcome::Done);

    ASSERT_FALSE(reports.empty());
    bool reportedMidway = false;
    for (std::size_t k = 0; k < reports.size(); ++k) {
        EXPECT_EQ(reports[k].second, kLargeLines);
        if (k > 0) {
            EXPECT_GE(reports[k].first, reports[k - 1].first);
        }
        reportedMidway |= reports[k].first > 0 && reports[k].first < kLargeTwoPartLines;
    }
    EXPECT_TRUE(reportedMidway);
    EXPECT_EQ(reports.back().first, kLargeLines);
}

// ---- The plan against real runs

// Texts built from pieces that stress the split: lone lead bytes (most of all at the end), empty
// items, lone CR and LF, a lead byte before CR LF, whole characters, and items long enough for the
// combiner's long-copy path.
Text RandomPaneText(std::mt19937& random) {
    static const std::vector<std::string> pieces = {"a",
                                                    "bc",
                                                    " ",
                                                    "\r",
                                                    "\n",
                                                    "\r\n",
                                                    "\r\n\r\n",
                                                    "\xB0",
                                                    "\xB0\xA1",
                                                    "\xB0\r\n",
                                                    "a-long-item-of-more-than-thirty-two-bytes"};
    Text text;
    const std::uint32_t count = random() % 7;
    for (std::uint32_t k = 0; k < count; ++k) {
        text += pieces[random() % pieces.size()];
    }
    if (random() % 4 == 0) {
        text += "\xB0";
    }
    return text;
}

TEST(GenerateProperty, PlanMatchesWhatTheRunWrites) {
    std::mt19937 random(7u);
    for (int round = 0; round < 2000; ++round) {
        const Text products = RandomPaneText(random);
        const Text attributes = RandomPaneText(random);
        const Text classes = RandomPaneText(random);
        const GenerationPlan plan = KeywordGenerator::Plan(
            SplitLines(products), SplitLines(attributes), SplitLines(classes));
        MemoryPanes panes = PanesWith(products, attributes, classes);
        const GenerationResult result = KeywordGenerator::Generate(panes);
        ASSERT_EQ(result.outcome, GenerationOutcome::Done);

        const LineList productList = SplitLines(products);
        const LineList attributeList = SplitLines(attributes);
        const LineList readBack = SplitLines(panes.Pane(4));
        const LineList classList = SplitLines(classes);
        ASSERT_EQ(panes.Pane(4), ReferenceCombine(productList, attributeList)) << round;
        ASSERT_EQ(panes.Pane(5), ReferenceCombine(readBack, classList)) << round;
        const GenerationPlan actual{
            {panes.Pane(4).size(), productList.Count() * attributeList.Count()},
            {panes.Pane(5).size(), readBack.Count() * classList.Count()}};
        ASSERT_EQ(plan, actual) << "round " << round;
        ASSERT_EQ(result.plan, actual) << "round " << round;
    }
}

}  // namespace
}  // namespace morvelin
