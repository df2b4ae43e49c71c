// The callers' answers to what the operator sends, and the pileup they make up.
#include "keyer/sim/Pileup.h"

#include <gtest/gtest.h>

#include <map>

namespace {

Caller caller(Caller::State state, int patience = 3, bool lid = false, int exchangesSent = 0)
{
    Caller c;
    c.call = "S5XYZ";
    c.exchange = "123";
    c.state = state;
    c.patience = patience;
    c.lid = lid;
    c.exchangesSent = exchangesSent;
    return c;
}

struct AnswerCase {
    const char *name;
    Caller before;
    const char *over;
    bool othersBusy;
    const char *answer;
    Caller::State next;
    int patience;
    const char *receivedCall, *receivedExchange;
};

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerTest, AnswerAndNextState)
{
    const AnswerCase &c = GetParam();
    const Answer a = AnswerOver(c.before, ReadOver(c.over), c.othersBusy);
    EXPECT_EQ(a.text, c.answer);
    EXPECT_EQ(a.next.state, c.next);
    EXPECT_EQ(a.next.patience, c.patience);
    EXPECT_EQ(a.next.receivedCall, c.receivedCall);
    EXPECT_EQ(a.next.receivedExchange, c.receivedExchange);
}

const Caller calling = caller(Caller::Calling), working = caller(Caller::Working, 2, false, 1);
const Caller lid = caller(Caller::Calling, 3, true), lidWorking = caller(Caller::Working, 3, true, 1);

INSTANTIATE_TEST_SUITE_P(
    Overs, AnswerTest,
    ::testing::Values(
        AnswerCase{"CqCalls", calling, "CQ S59ABC TEST", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"QrzCalls", calling, "QRZ? S59ABC", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"PatienceUsedUp", caller(Caller::Calling, 0), "CQ S59ABC TEST", false, "", Caller::Gone, 0, "", ""},
        AnswerCase{"ExactSendsExchange", calling, "S5XYZ 5NN 95", false, "5NN 123", Caller::Working, 3, "S5XYZ", "5NN 95"},
        AnswerCase{"ExactAsked", calling, "s5xyz?", false, "5NN 123", Caller::Working, 3, "S5XYZ?", ""},
        AnswerCase{"AlmostChanged", calling, "S5XYA 5NN 95", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"AlmostLeftOut", calling, "S5XY 5NN 95", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"AlmostAdded", calling, "S55XYZ", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"PartialAsked", calling, "XY?", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"NotAtAll", calling, "K1ABC 5NN 95", false, "", Caller::Calling, 3, "", ""},
        AnswerCase{"AnotherTaken", calling, "S5XYA 5NN 95", true, "", Caller::Calling, 3, "", ""},
        AnswerCase{"QuestionMarkRepeats", calling, "?", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"QuestionMarkWhileBusy", calling, "?", true, "", Caller::Calling, 3, "", ""},
        AnswerCase{"ThanksStartsNextRound", calling, "TU S59ABC", false, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"LidOutOfTurn", lid, "K1ABC 5NN 95", true, "S5XYZ", Caller::Calling, 2, "", ""},
        AnswerCase{"LidWrongNumberFirst", lid, "S5XYZ 5NN 95", false, "5NN 124", Caller::Working, 3, "S5XYZ", "5NN 95"},
        AnswerCase{"LidRightNumberOnRepeat", lidWorking, "NR?", false, "5NN 123", Caller::Working, 3, "", ""},
        AnswerCase{"TuLogs", working, "TU S59ABC", false, "", Caller::Logged, 2, "", ""},
        AnswerCase{"CqAfterwardsLogs", working, "CQ S59ABC TEST", false, "", Caller::Logged, 2, "", ""},
        AnswerCase{"AgnRepeats", working, "AGN", false, "5NN 123", Caller::Working, 2, "", ""},
        AnswerCase{"NrRepeats", working, "NR?", false, "5NN 123", Caller::Working, 2, "", ""},
        AnswerCase{"ExchangeAgainRepeats", working, "5NN 95", false, "5NN 123", Caller::Working, 2, "", "5NN 95"},
        AnswerCase{"CallAgainRepeats", working, "S5XYZ 5NN 95", false, "5NN 123", Caller::Working, 2, "S5XYZ", "5NN 95"},
        AnswerCase{"WrongCallCorrected", working, "S5XYA 5NN 95", false, "S5XYZ S5XYZ", Caller::Working, 2, "S5XYA", ""},
        AnswerCase{"OperatorWentOn", working, "K1ABC 5NN 95", true, "", Caller::Calling, 2, "", ""},
        AnswerCase{"LoggedStaysQuiet", caller(Caller::Logged), "CQ S59ABC TEST", false, "", Caller::Logged, 3, "", ""},
        AnswerCase{"GoneStaysQuiet", caller(Caller::Gone), "S5XYZ", false, "", Caller::Gone, 3, "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Pileup, ReportIsNoCall)
{
    Caller c = calling;
    c.call = "K5NN";
    EXPECT_EQ(AnswerOver(c, ReadOver("S5XYZ 5NN 95"), false).text, "");
}

// Calls drawn from a fixed list, exchanges numbered.
Pileup::NewCall numberedCalls()
{
    return [n = 0](std::mt19937 &) mutable {
        ++n;
        return std::make_pair("S5" + std::to_string(n) + "A", std::to_string(n));
    };
}

TEST(Pileup, AQsoFromCqToTu)
{
    PileupSettings settings;
    settings.activity = 3;
    Pileup pileup(settings, numberedCalls(), 7);
    std::vector<Transmission> calls;
    while ((calls = pileup.hear("CQ S59ABC TEST", 24)).size() < 2) {}
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_LE(calls[i - 1].delay, calls[i].delay);
    const Caller &first = pileup.callers()[calls[0].caller];
    const std::string call = first.call;

    const auto exchange = pileup.hear(call + " 5NN 95", 24);
    ASSERT_EQ(exchange.size(), 1u);  // the others wait
    EXPECT_EQ(exchange[0].text, "5NN " + pileup.callers()[exchange[0].caller].exchange);
    EXPECT_EQ(pileup.callers()[exchange[0].caller].call, call);

    // Thanks with the caller's call in it, as "TU $ TEST" sends it.
    const auto next = pileup.hear("TU " + call + " S59ABC", 24);
    EXPECT_FALSE(next.empty()) << "nobody called after the thanks";
    for (const Transmission &t : next)
        EXPECT_NE(pileup.callers()[t.caller].call, call);
    for (const Caller &c : pileup.callers())
        if (c.call == call)
            EXPECT_EQ(c.state, Caller::Logged);
}

TEST(Pileup, CallersAroundTheSetActivityAndWithinTheirLimits)
{
    PileupSettings settings;
    settings.activity = 2.5;
    long answers = 0;
    const int rounds = 2000;
    for (int seed = 0; seed < rounds; ++seed) {
        Pileup pileup(settings, numberedCalls(), static_cast<unsigned>(seed));
        for (const Transmission &t : pileup.hear("CQ TEST", 30)) {
            ++answers;
            const Caller &c = pileup.callers()[t.caller];
            EXPECT_EQ(t.text, c.call);
            EXPECT_GE(t.delay, 0.1);
            EXPECT_LE(t.delay, 0.6);
            EXPECT_GE(c.wpm, 15);  // half to all of the operator's 30 wpm
            EXPECT_LE(c.wpm, 30);
            EXPECT_LE(std::abs(c.pitch), 300);
        }
    }
    EXPECT_NEAR(static_cast<double>(answers) / rounds, 2.5, 0.15);
}

} // namespace
