// The simulator as a client sees it: a real process on a real pseudo-terminal.
#include "sim_process.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const Bytes Ack{0x06};

Bytes command(std::uint8_t number, char letter) {
    return Bytes{number, static_cast<std::uint8_t>(letter)};
}

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + name + "-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class BalanceSimTest : public ::testing::Test {
protected:
    void start(std::vector<std::string> args) {
        sim = std::make_unique<SimProcess>(args);
        ASSERT_FALSE(sim->devicePath().empty()) << "no device path printed";
        client = std::make_unique<SimClient>(sim->devicePath());
        ASSERT_TRUE(client->isOpen());
    }

    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<SimClient> client;
};

TEST_F(BalanceSimTest, SampleGivesAnElevenCharacterWeightNearTheLoad) {
    start({"--weight", "12.3456"});
    const auto replies = client->ask(command(1, 's'));
    ASSERT_EQ(replies.size(), 1u);
    const std::string text = textOf(replies[0]);
    ASSERT_TRUE(std::regex_match(text, std::regex(R"([+-]\d{4}\.\d{4}g)"))) << text;
    EXPECT_NEAR(std::stod(text.substr(0, 10)), 12.3456, 0.01);
    // On the wire: head, eleven plain characters, tail.
    EXPECT_EQ(client->rawBytes().size(), 13u);
}

TEST_F(BalanceSimTest, TareAcknowledgesAndZeroesLaterReadings) {
    start({"--weight", "500"});
    EXPECT_EQ(client->ask(command(1, 't')), std::vector<Bytes>{Ack});
    const auto replies = client->ask(command(1, 's'));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_NEAR(std::stod(textOf(replies[0]).substr(0, 10)), 0.0, 0.01);
}

TEST_F(BalanceSimTest, AnswersOnlyTwoByteCommandsToItsNumberWithKnownLetters) {
    start({"--no-pacing"});
    // None of these may be answered; the one sample after them must be the only reply.
    client->sendFrame(command(2, 's'));
    client->sendFrame(command(1, 'x'));
    client->sendFrame(Bytes{1});
    client->sendFrame(Bytes{1, 's', 0});
    client->sendFrame(Bytes{});
    client->sendFrame(command(1, 's'));
    const auto replies = client->readFrames(2, 1500ms);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), 11u);
}

TEST_F(BalanceSimTest, EscapedNumberSeventeenIsUnderstood) {
    // 273 keeps its low eight bits, 17: the head byte, escaped on the wire.
    start({"--number", "273"});
    client->send(Bytes{0x11, 0x12, 0x11, 0x76, 0x13});
    EXPECT_EQ(client->readFrames(1), std::vector<Bytes>{Ack});
}

TEST_F(BalanceSimTest, EveryUnitAndCountModeKeepElevenCharacters) {
    start({});
    const char* const expected[] = {
        R"([+-]\d{4}\.\d{4}g)",  R"([+-]\d{2}\.\d{5}kg)", R"([+-]\d{4}\.\d{3}ct)",
        R"([+-]\d{2}\.\d{5}lb)", R"([+-]\d{3}\.\d{4}oz)", R"([+-]\d{4}\.\d{4}g)",
    };
    for (const char* pattern : expected) {
        const auto replies = client->ask(command(1, 's'));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_TRUE(std::regex_match(textOf(replies[0]), std::regex(pattern)))
            << textOf(replies[0]) << " vs " << pattern;
        ASSERT_EQ(client->ask(command(1, 'u')), std::vector<Bytes>{Ack});
    }
    ASSERT_EQ(client->ask(command(1, 'c')), std::vector<Bytes>{Ack});
    const auto count = client->ask(command(1, 's'));
    ASSERT_EQ(count.size(), 1u);
    // 12.3456 g of 0.1 g pieces.
    EXPECT_EQ(textOf(count[0]), "+0000123pcs");
}

TEST_F(BalanceSimTest, SameSeedGivesTheSameReadings) {
    std::vector<std::string> runs[2];
    for (auto& readings : runs) {
        start({"--seed", "42", "--no-pacing"});
        for (int i = 0; i < 5; ++i) {
            const auto replies = client->ask(command(1, 's'));
            ASSERT_EQ(replies.size(), 1u);
            readings.push_back(textOf(replies[0]));
        }
        EXPECT_EQ(sim->stop(SIGTERM), 0);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST_F(BalanceSimTest, LogHasOneLinePerFrameInEachDirection) {
    const std::string log = tempPath("sim-log");
    start({"--log", log});
    ASSERT_EQ(client->ask(command(1, 'v')).size(), 1u);
    ASSERT_EQ(client->ask(command(17, 's'), 500ms).size(), 0u) << "not ours";
    EXPECT_EQ(sim->stop(SIGTERM), 0);
    const auto lines = readLines(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d+\.\d{6} rx 11 01 76 13)"))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(\d+\.\d{6} tx 11 06 13)"))) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(\d+\.\d{6} rx 11 12 11 73 13)")))
        << lines[2];
    ::unlink(log.c_str());
}

TEST_F(BalanceSimTest, RepliesArePacedLikeTheLine) {
    // 13 bytes at 9600 bit/s take 13.5 ms; a slow machine can only make it take longer.
    start({"--delay", "0"});
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(client->ask(command(1, 's')).size(), 1u);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 12ms);
}

TEST_F(BalanceSimTest, SurvivesArbitraryBytesAndStillAnswers) {
    start({"--no-pacing"});
    Bytes noise;
    std::uint32_t x = 12345;
    for (int i = 0; i < 100000; ++i) {
        x = x * 1103515245u + 12345u;
        noise.push_back(static_cast<std::uint8_t>(x >> 16));
    }
    client->send(noise);
    // Whatever state the noise left: a tail ends any frame, a head starts ours.
    client->send(Bytes{0x13});
    const auto replies = client->ask(command(1, 's'));
    ASSERT_GE(replies.size(), 1u);
    EXPECT_EQ(::kill(sim->pid(), 0), 0);
}

TEST_F(BalanceSimTest, KeepsAnsweringAfterTheClientReopensTheDevice) {
    start({});
    ASSERT_EQ(client->ask(command(1, 's')).size(), 1u);
    client.reset();
    client = std::make_unique<SimClient>(sim->devicePath());
    ASSERT_TRUE(client->isOpen());
    EXPECT_EQ(client->ask(command(1, 's')).size(), 1u);
}

TEST_F(BalanceSimTest, SignalsEndItCleanlyAndRemoveTheLink) {
    for (int signal : {SIGTERM, SIGINT}) {
        const std::string link = tempPath("sim-link") + std::to_string(signal);
        start({"--link", link});
        char target[256] = {};
        ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(target, sim->devicePath());
        EXPECT_EQ(sim->stop(signal), 0);
        struct stat st {};
        EXPECT_NE(::lstat(link.c_str(), &st), 0) << "link left behind";
    }
}

TEST_F(BalanceSimTest, RefusesToReplaceAFileWithItsLink) {
    const std::string path = tempPath("sim-file");
    { std::ofstream(path) << "keep me"; }
    SimProcess failed({"--link", path});
    EXPECT_TRUE(failed.devicePath().empty());
    EXPECT_EQ(failed.stop(0), 1);
    EXPECT_EQ(readLines(path), std::vector<std::string>{"keep me"});
    ::unlink(path.c_str());
}

TEST(BalanceSimOptions, BadValuesAreRefusedWithUsage) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--drop-rate", "2"}, {"--baud", "0"}, {"--weight", "heavy"}, {"--frobnicate"}}) {
        SimProcess sim(args);
        EXPECT_TRUE(sim.devicePath().empty());
        EXPECT_EQ(sim.stop(0), 2) << args[0];
    }
}

// Faults for reliability tests.

TEST_F(BalanceSimTest, DropRateOneNeverAnswers) {
    start({"--drop-rate", "1", "--no-pacing"});
    client->sendFrame(command(1, 's'));
    client->sendFrame(command(1, 't'));
    EXPECT_TRUE(client->readFrames(1, 1000ms).empty());
}

TEST_F(BalanceSimTest, NoiseBetweenFramesLeavesRepliesReadable) {
    const std::string log = tempPath("sim-noise");
    start({"--garbage-rate", "1", "--log", log});
    for (int i = 0; i < 10; ++i) {
        const auto replies = client->ask(command(1, 's'));
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].size(), 11u);
    }
    EXPECT_EQ(sim->stop(SIGTERM), 0);
    int noiseLines = 0;
    for (const auto& line : readLines(log))
        noiseLines += line.find(" noise ") != std::string::npos;
    EXPECT_EQ(noiseLines, 10);
    // The noise reached the line: more bytes came than the replies' frames.
    EXPECT_GT(client->rawBytes().size(), 10u * 13u);
    ::unlink(log.c_str());
}

TEST_F(BalanceSimTest, BadLengthRepliesAreOneByteOff) {
    start({"--bad-length-rate", "1", "--no-pacing"});
    const auto weight = client->ask(command(1, 's'));
    ASSERT_EQ(weight.size(), 1u);
    EXPECT_TRUE(weight[0].size() == 10 || weight[0].size() == 12) << weight[0].size();
    const auto ack = client->ask(command(1, 'v'));
    ASSERT_EQ(ack.size(), 1u);
    EXPECT_NE(ack[0], Ack);
}

TEST_F(BalanceSimTest, HangsUpAfterTheGivenRepliesAndWaitsForASignal) {
    start({"--hangup-after", "2"});
    ASSERT_EQ(client->ask(command(1, 's')).size(), 1u);
    ASSERT_EQ(client->ask(command(1, 's')).size(), 1u);
    EXPECT_TRUE(client->waitForHangUp(10s));
    EXPECT_EQ(::kill(sim->pid(), 0), 0) << "still waiting for its signal";
    EXPECT_EQ(sim->stop(SIGTERM), 0);
}

} // namespace
