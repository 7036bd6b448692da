// A thousand requests from the demo's send button in one burst against the running
// sample server, and a thousand data-ready messages at the demo in one burst: every
// request is answered, the memo ends with the last answer, and the demo holds no more
// handles or memory afterwards than before.
//
// The demo is measured from outside. Handles: NtQuerySystemInformation's system handle
// table, counted for the demo's process id (GetProcessHandleCount gives 0 under Wine).
// Memory: VmRSS and VmSize of the demo's Unix process in /proc/PID/status, read through
// drive Z:; that process is the one whose command line names the demo and that was not
// there before the demo started (another process's memory counters are not given under
// Wine).
#include "demo_process.h"
#include "process_resources.h"
#include "registry_fixture.h"
#include "sample_server_driver.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace window_driving;
using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBurst = 1000;

struct Footprint {
    long handles = -1;
    long rssKb = -1;
    long sizeKb = -1;
};

class Load : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PumpUntil([] { return !IsServerRunning(); }, 10000)) << "another server runs";
        DeleteServerRecord();
        const auto before = UnixPidsRunning(PathKey(NarrowDemoPath()));
        demo_.emplace(DemoPath());
        ASSERT_TRUE(demo_->MainWindow());
        unixPid_ = NewPid(before, UnixPidsRunning(PathKey(NarrowDemoPath())));
    }
    void TearDown() override { EXPECT_TRUE(Responds(*demo_)); }

    static std::string NarrowDemoPath() {
        const std::wstring wide = DemoPath();
        return std::string(wide.begin(), wide.end());  // the build path is ASCII
    }

    Footprint Measure() const {
        Footprint f;
        f.handles = HandleCountOf(demo_->Id());
        if (unixPid_) {
            f.rssKb = ProcStatusKb(unixPid_, "VmRSS");
            f.sizeKb = ProcStatusKb(unixPid_, "VmSize");
        }
        return f;
    }

    // Growth between two measurements, checked and printed.
    void ExpectNoGrowth(const char* what, const Footprint& before, const Footprint& after) {
        std::printf("%s: handles %ld -> %ld, VmRSS %ld -> %ld kB, VmSize %ld -> %ld kB (Unix pid %lu)\n", what,
                    before.handles, after.handles, before.rssKb, after.rssKb, before.sizeKb, after.sizeKb, unixPid_);
        ASSERT_GE(before.handles, 0) << "the system handle table is not available";
        EXPECT_LE(after.handles, before.handles + 2) << what;
        ASSERT_GT(before.rssKb, 0) << "the demo's Unix process was not found";
        // One answer copy (64 KB) kept per message would be 64 MB after a thousand.
        EXPECT_LT(after.rssKb - before.rssKb, 8 * 1024) << what;
        EXPECT_LT(after.sizeKb - before.sizeKb, 16 * 1024) << what;
    }

    std::optional<window_driving::DemoProcess> demo_;
    unsigned long unixPid_ = 0;
};

// Flush waits 10 seconds at most; a burst may need longer to go through.
bool FlushWithin(const window_driving::DemoProcess& demo, int seconds) {
    for (int i = 0; i < seconds / 10 + 1; ++i) {
        if (demo.Flush()) return true;
    }
    return false;
}

}  // namespace

TEST_F(Load, AThousandPressesInABurstAreAllAnsweredAndTheMemoEndsWithTheLastAnswer) {
    RunningServer server = RunningServer::Start();
    NoticeListener answers{DataReadyMessage()};
    const HWND button = demo_->Control(ControlId::Button1);

    // Warm up: the first answers allocate what the demo keeps for its life.
    for (int i = 0; i < 20; ++i) window_driving::Click(button);
    const int warm = answers.WaitFor(20, 20000);
    ASSERT_EQ(warm, 20);
    ASSERT_TRUE(FlushWithin(*demo_, 30));
    const Footprint before = Measure();

    const auto start = Clock::now();
    for (int i = 0; i < kBurst - 1; ++i) window_driving::Click(button);
    ASSERT_TRUE(FlushWithin(*demo_, 60)) << "the demo did not get through the presses";
    // The last press asks for something else, so its answer is told from the others.
    window_driving::SetText(demo_->Control(ControlId::Edit8), L"краснобережский");
    window_driving::Click(button);
    // Normally some thirty seconds; more when the machine is busy with other work.
    const int answered = answers.WaitFor(20 + kBurst, 150000) - 20;
    const auto sent = Clock::now();
    EXPECT_EQ(answered, kBurst) << "requests without an answer";
    ASSERT_TRUE(server.IsRunning());

    // Every data-ready copy has been taken when the demo is through its queue.
    ASSERT_TRUE(FlushWithin(*demo_, 60));
    const auto done = Clock::now();
    const std::optional<std::wstring> last = ReadAnswerBlock();
    ASSERT_TRUE(last.has_value());
    EXPECT_NE(last->find(CustomPipes::wire::EncodeValue(L"раснобережск")), std::wstring::npos) << "the last answer is not the last request's";
    EXPECT_EQ(Memo1Text(*demo_), MemoFor(*last)) << "the memo does not end with the last answer";
    EXPECT_FALSE(demo_->HasMessageBox(kTitle));

    ExpectNoGrowth("1000 presses", before, Measure());
    const auto ms = [&](Clock::time_point t) {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count());
    };
    std::printf("%d presses answered %d times: all answers in %lld ms, demo through its queue in %lld ms\n", kBurst,
                answered, ms(sent), ms(done));
}

TEST_F(Load, AThousandDataReadyMessagesInABurstLeaveTheMemoWithTheLastAnswer) {
    auto block = CustomPipes::NamedBlock::Create(L"Varnel2", 65536);
    ASSERT_TRUE(block.IsMapped());
    std::wstring answer;
    for (int i = 0; i < 60; ++i) answer += CustomPipes::wire::EncodeValue(L"  <name>Владимирогорский городской суд " + std::to_wstring(i) + L"</name>\r\n");
    const UINT dataReady = DataReadyMessage();

    PutText(block, answer + L"warm-up");
    for (int i = 0; i < 20; ++i) ::PostMessageW(demo_->MainWindow(), dataReady, 0, 0);
    ASSERT_TRUE(FlushWithin(*demo_, 30));
    const Footprint before = Measure();

    const auto start = Clock::now();
    for (int i = 0; i < kBurst; ++i) {
        PutText(block, answer + L"answer " + std::to_wstring(i));
        // lParam 0: a notice that names no client is taken by every client.
        ASSERT_TRUE(::PostMessageW(demo_->MainWindow(), dataReady, 0, 0)) << i;
    }
    ASSERT_TRUE(FlushWithin(*demo_, 60));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(Memo1Text(*demo_), MemoFor(answer + L"answer " + std::to_wstring(kBurst - 1)));
    ExpectNoGrowth("1000 data-ready messages", before, Measure());
    std::printf("%d data-ready messages taken in %lld ms\n", kBurst, static_cast<long long>(ms));
}

// The handle measurement sees what it is meant to see: ten more events in this process
// are ten more handles in the system's table.
TEST(LoadMeasurement, TheHandleTableCountsAProcesssNewHandles) {
    const long before = HandleCountOf(::GetCurrentProcessId());
    ASSERT_GE(before, 0) << "the system handle table is not available";
    std::vector<CustomPipes::UniqueHandle> events;
    for (int i = 0; i < 10; ++i) events.emplace_back(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    EXPECT_EQ(HandleCountOf(::GetCurrentProcessId()), before + 10);
    events.clear();
    EXPECT_EQ(HandleCountOf(::GetCurrentProcessId()), before);
}
