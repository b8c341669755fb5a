// The probe: its use of the three ICMP calls through stand-ins that record
// what they are given, and the real thing against loopback and the namespace
// test bed. Nothing else is ever probed.

#include "core/icmp_probe.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/ipv4.h"
#include "core/scan_engine.h"
#include "results/text_forms.h"

namespace calderwynfell {
namespace {

HANDLE const kFakeHandle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x4C1C));
constexpr std::uint32_t kAddress = 0x0A010203u;  // 10.1.2.3
constexpr std::uint32_t kRouter = 0x0A010201u;   // 10.1.2.1
constexpr std::uint32_t kOther = 0x0A0102FFu;    // 10.1.2.255, as a broadcast answer
constexpr DWORD kTimeoutMs = 1234;

// Answers as scripted; checks what each call is given and counts the calls.
struct Fake {
    bool createFails = false;
    DWORD replies = 0;                         // return value of the send
    ULONG replyStatus = 0, roundTripMs = 0;    // written into the reply when replies != 0
    DWORD lastError = 0;                       // for a failed create or a send returning 0
    std::optional<std::uint32_t> replyFrom{};  // host order; the destination when empty
    int creates = 0, sends = 0;
    std::vector<HANDLE> closed{};

    IcmpCalls calls() {
        IcmpCalls c;
        c.createFile = [this] {
            ++creates;
            SetLastError(lastError);
            return createFails ? INVALID_HANDLE_VALUE : kFakeHandle;
        };
        c.sendEcho = [this](HANDLE handle, IPAddr to, LPVOID request, WORD requestSize,
                            PIP_OPTION_INFORMATION options, LPVOID reply, DWORD size,
                            DWORD timeout) -> DWORD {
            ++sends;
            EXPECT_EQ(handle, kFakeHandle);
            const auto* octets = reinterpret_cast<const unsigned char*>(&to);
            EXPECT_EQ((std::vector<int>(octets, octets + 4)), (std::vector<int>{10, 1, 2, 3}));
            EXPECT_EQ(std::string(static_cast<const char*>(request), requestSize),
                      std::string("Calderwynfell diagnostic", 25));  // with its zero byte
            EXPECT_EQ(options, nullptr);
            EXPECT_EQ(size, 97u);
            const auto* bytes = static_cast<const unsigned char*>(reply);
            EXPECT_TRUE(std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; }));
            EXPECT_EQ(timeout, kTimeoutMs);
            SetLastError(replies ? 11010 : lastError);  // after a reply, a stale code that must not matter
            if (replies == 0) return 0;
            auto* echo = static_cast<ICMP_ECHO_REPLY*>(reply);
            echo->Address = replyFrom ? htonl(*replyFrom) : to;
            echo->Status = replyStatus;
            echo->RoundTripTime = roundTripMs;
            return replies;
        };
        c.closeHandle = [this](HANDLE handle) { return closed.push_back(handle), TRUE; };
        return c;
    }
};

TEST(IcmpEchoProbeCalls, OutcomesAndHandleLife) {
    const struct {
        const char* name;
        Fake fake;
        ProbeStatus status;
        std::uint32_t latencyMs;
        const wchar_t* note;
    } cases[] = {
        {"reply", {false, 1, 0, 12}, ProbeStatus::Online, 12, L"收到 ICMP 回复"},
        {"reply under a millisecond", {false, 1, 0, 0}, ProbeStatus::Online, 0, L"收到 ICMP 回复"},
        {"reply from itself", {false, 1, 0, 3, 0, kAddress}, ProbeStatus::Online, 3, L"收到 ICMP 回复"},
        {"other host", {false, 1, 0, 3, 0, kOther}, ProbeStatus::NoResponse, 0, L"回复来自 10.1.2.255"},
        {"from router", {false, 1, 11003, 25, 0, kRouter}, ProbeStatus::NoResponse, 0, L"目标主机不可达"},
        {"time-out", {false, 0, 0, 0, 11010}, ProbeStatus::NoResponse, 0, L"等待 ICMP 回复超时"},
        {"send rejected", {false, 0, 0, 0, 87}, ProbeStatus::Error, 0, L"ICMP 状态 87"},
        {"general failure", {false, 0, 0, 0, 11050}, ProbeStatus::Error, 0, L"本机网络发送失败"},
        {"no handle", {true, 0, 0, 0, 5}, ProbeStatus::Error, 0, L"无法创建 ICMP 句柄：5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fake fake = c.fake;
        const Result result = icmpEchoProbeWith(fake.calls(), kAddress, kTimeoutMs);
        EXPECT_EQ(result.address, kAddress);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.latencyMs, c.latencyMs);
        EXPECT_EQ(result.note, c.note);
        EXPECT_EQ(result.attempts, 0);
        EXPECT_NE(result.checkedAt.wYear, 0) << "checkedAt is set on every path";
        EXPECT_EQ(fake.creates, 1);
        EXPECT_EQ(fake.sends, fake.createFails ? 0 : 1);
        // closed exactly once, and nothing to close without a handle
        EXPECT_EQ(fake.closed, fake.createFails ? std::vector<HANDLE>{} : std::vector<HANDLE>{kFakeHandle});
    }
}

constexpr std::uint32_t kLoopback = 127u << 24;
const wchar_t* const kOnline = L"收到 ICMP 回复";
const wchar_t* const kTimedOut = L"等待 ICMP 回复超时";

std::int64_t localNowMs(const SYSTEMTIME* time = nullptr) {
    SYSTEMTIME now{};
    if (!time) GetLocalTime(&now);
    FILETIME file{};
    if (!SystemTimeToFileTime(time ? time : &now, &file)) return -1;
    return static_cast<std::int64_t>((std::uint64_t{file.dwHighDateTime} << 32) | file.dwLowDateTime) / 10000;
}

// Every address probed at once through the scan engine; address -> answered.
void expectSweep(const std::map<std::uint32_t, bool>& answers, std::uint32_t timeoutMs) {
    std::vector<std::uint32_t> addresses;
    for (const auto& entry : answers) addresses.push_back(entry.first);
    std::mutex lock;
    std::map<std::uint32_t, Result> delivered;
    std::atomic<bool> stop{false};
    runScan(
        addresses, ScanOptions{timeoutMs, 1, 64}, stop,
        [&](Result result) {
            std::lock_guard guard(lock);
            delivered.emplace(result.address, std::move(result));
        },
        icmpEchoProbe);
    ASSERT_EQ(delivered.size(), addresses.size());
    for (const auto& [address, answering] : answers) {
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const Result& result = delivered.at(address);
        EXPECT_EQ(result.status, answering ? ProbeStatus::Online : ProbeStatus::NoResponse);
        EXPECT_EQ(result.note, answering ? kOnline : kTimedOut);
        EXPECT_EQ(result.attempts, 1);
    }
}

TEST(IcmpEchoProbe, LoopbackAddressesAnswer) {
    for (std::uint32_t address : {0x000001u, 0x000002u, 0x010203u, 0xC80009u, 0xFFFFFEu}) {
        address |= kLoopback;
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const std::int64_t before = localNowMs();
        const Result result = icmpEchoProbe(address, 1000);
        const std::int64_t checked = localNowMs(&result.checkedAt);
        EXPECT_EQ(result.address, address);
        EXPECT_EQ(result.status, ProbeStatus::Online);
        EXPECT_EQ(result.note, kOnline);
        EXPECT_EQ(result.attempts, 0);
        EXPECT_LT(result.latencyMs, 1000u);
        EXPECT_GE(checked, before);
        EXPECT_LE(checked, localNowMs());
    }
}

TEST(IcmpEchoProbe, ManyThreadsOnLoopback) {
    std::map<std::uint32_t, bool> answers;
    for (std::uint32_t i = 0; i < 256; ++i) answers[kLoopback | 0x300u | i] = true;
    expectSweep(answers, 1000);
}

// The namespace test bed made by the ctest fixture: the first line of the
// state file scripts/testbed writes is "ready ANSWERING SILENT" or why not; a
// later line "proxied CIDR" names the /29 whose first host answers for all.
class TestBedProbe : public ::testing::Test {
   protected:
    void SetUp() override {
        if (const std::string reason = load(); !reason.empty()) GTEST_SKIP() << "no test bed: " << reason;
    }

    std::string load() {
        const char* state = std::getenv("CALDERWYNFELL_TESTBED_STATE");
        if (!state) return "CALDERWYNFELL_TESTBED_STATE not set (run through ctest, as root)";
        std::ifstream file(state[0] == '/' ? std::string("Z:") + state
                                           : state);  // a Unix path seen from Wine
        std::string line, word, answering, silent;
        if (!std::getline(file, line)) return std::string("state file ") + state + " missing";
        std::istringstream(line) >> word >> answering >> silent;
        if (word != "ready") return line;
        if (!hosts(answering, 24, answering_) || !hosts(silent, 24, silent_))
            return "not /24 ranges in 198.18.0.0/15: " + line;
        while (std::getline(file, line)) {
            std::string key, proxied;
            std::istringstream(line) >> key >> proxied;
            if (key == "proxied" && !hosts(proxied, 29, proxied_))
                return "not a /29 in 198.18.0.0/15: " + line;
        }
        return {};
    }

    // Only a network of this prefix inside 198.18.0.0/15, never anything else.
    static bool hosts(const std::string& cidr, int prefix, std::vector<std::uint32_t>& out) {
        const std::string suffix = "/" + std::to_string(prefix);
        const std::uint32_t size = 1u << (32 - prefix);
        std::uint32_t network = 0;
        if (cidr.size() <= suffix.size() || !cidr.ends_with(suffix) ||
            !parseIpv4(std::wstring(cidr.begin(), cidr.end() - suffix.size()), network) ||
            (network & (size - 1)) != 0 || (network >> 17) != ((198u << 7) | 9u))
            return false;
        for (std::uint32_t host = 1; host < size - 1; ++host) out.push_back(network + host);
        return true;
    }

    std::vector<std::uint32_t> answering_, silent_, proxied_;
};

// A silent host costs the whole timeout and no more than a generous margin;
// checkedAt is taken when the wait is over, not when it began.
TEST_F(TestBedProbe, SilentHostTimesOut) {
    const std::pair<std::uint32_t, std::uint32_t> cases[] = {
        {silent_.front(), 300}, {silent_[silent_.size() / 2], 600}, {silent_.back(), 1000}};
    for (const auto& [address, timeoutMs] : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << address << std::dec << " timeout " << timeoutMs);
        const std::int64_t wallBefore = localNowMs();
        const auto start = std::chrono::steady_clock::now();
        const Result result = icmpEchoProbe(address, timeoutMs);
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(result.status, ProbeStatus::NoResponse);
        EXPECT_EQ(result.note, kTimedOut);
        EXPECT_EQ(result.latencyMs, 0u);
        EXPECT_EQ(result.attempts, 0);
        // The platform's timer counts whole milliseconds; local time ticks coarser.
        EXPECT_GE(elapsed.count(), timeoutMs - 1.0);
        EXPECT_LE(elapsed.count(), timeoutMs + 1500.0);
        EXPECT_GE(localNowMs(&result.checkedAt) - wallBefore, std::int64_t{timeoutMs} - 50);
    }
}

// Replies must reach the probe that asked, with answering and silent hosts
// in flight together; both ends of the answering range included.
TEST_F(TestBedProbe, ConcurrentProbesKeepTheirOwnReplies) {
    std::map<std::uint32_t, bool> answers{{answering_.back(), true}};
    for (std::uint32_t i = 0; i < 64; ++i) {
        answers[answering_[i]] = true;
        answers[silent_[i]] = false;
        answers[kLoopback + 0x901u + i] = true;
    }
    expectSweep(answers, 300);
}

// A reply counts only from the address asked: in the proxied range every
// request gets a prompt echo reply, but only the first host's is its own.
TEST_F(TestBedProbe, ReplyFromAnotherAddressIsNoResponse) {
    if (proxied_.empty()) GTEST_SKIP() << "the test bed has no proxied range";
    const std::uint32_t answerer = proxied_.front();
    for (const std::uint32_t address : proxied_) {
        SCOPED_TRACE(::testing::Message() << std::hex << address);
        const Result result = icmpEchoProbe(address, 1000);
        if (address == answerer) {
            EXPECT_EQ(result.status, ProbeStatus::Online);
            EXPECT_EQ(result.note, kOnline);
            EXPECT_LT(result.latencyMs, 1000u);
        } else {
            EXPECT_EQ(result.status, ProbeStatus::NoResponse);
            EXPECT_EQ(result.note, L"回复来自 " + addressText(answerer));
            EXPECT_EQ(result.latencyMs, 0u);
        }
    }
}

}  // namespace
}  // namespace calderwynfell
