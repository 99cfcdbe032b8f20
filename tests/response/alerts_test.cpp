#include <gtest/gtest.h>

#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTextToSpeech>
#include <QtCore/qtestsupport_core.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "response/search_beep.h"
#include "response/speech_alert.h"

// There is no sound server where these tests run, so alerts must fail quietly there; where
// there is one they really play, and the same checks hold.

namespace glimtap {
namespace {

// Generous: only a hung engine or sink gets near it.
constexpr int kSettleMs = 30000;

TEST(AlertsWithoutApplication, StaySilent) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CSpeechAlert speaker;
    EXPECT_FALSE(speaker.Speak(u"Started"));
    PlaySearchBeep();
}

// Gives each test an application of its own on this thread, as the program's GUI thread.
class Alerts : public testing::Test {
protected:
    // Runs everything queued for the application so far.
    void RunPosted() {
        bool reached = false;
        QMetaObject::invokeMethod(&application_, [&reached] { reached = true; },
                                  Qt::QueuedConnection);
        ASSERT_TRUE(QTest::qWaitFor([&reached] { return reached; }, kSettleMs));
    }

    // True once every engine and sink the alerts made has ended.
    bool AllEnded() const {
        return application_.findChildren<QTextToSpeech*>().isEmpty() &&
               application_.findChildren<QAudioSink*>().isEmpty();
    }

private:
    int argc_ = 1;
    char name_[13] = "alerts_tests";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication application_{argc_, argv_};
};

TEST_F(Alerts, EmptyTextIsNeverSpoken) {
    CSpeechAlert speaker;
    EXPECT_FALSE(speaker.Speak(u""));
    RunPosted();
    EXPECT_FALSE(speaker.Speak(u""));
}

TEST_F(Alerts, SpeakerBuiltOnAWorkerLearnsWhatTheEngineCanDo) {
    // The worker builds its speaker on a thread without an event loop; once the application
    // has opened both engines, it answers as the window's speaker does.
    std::unique_ptr<CSpeechAlert> worker_speaker;
    std::thread([&worker_speaker] { worker_speaker = std::make_unique<CSpeechAlert>(); }).join();
    CSpeechAlert window_speaker;
    RunPosted();
    EXPECT_EQ(worker_speaker->Speak(u"Started"), window_speaker.Speak(u"Stopped"));
    worker_speaker.reset();
    EXPECT_TRUE(QTest::qWaitFor([this] { return AllEnded(); }, kSettleMs));
}

TEST_F(Alerts, SpeakerWithoutAudioOutputStaysSilent) {
    if (!QMediaDevices::defaultAudioOutput().isNull()) {
        GTEST_SKIP() << "this machine can play sound";
    }
    CSpeechAlert speaker;
    RunPosted();
    EXPECT_FALSE(speaker.Speak(u"Stopped"));
    // An engine that cannot be heard is not kept.
    EXPECT_TRUE(AllEnded());
}

TEST_F(Alerts, WorkerSpeakerMayEndBeforeItsTextIsHandled) {
    // A run stopped at once: the worker speaks and drops its speaker before the application
    // has even opened the engine.
    std::thread([] {
        CSpeechAlert speaker;
        speaker.Speak(u"Started");
    }).join();
    EXPECT_TRUE(QTest::qWaitFor([this] { return AllEnded(); }, kSettleMs));
}

TEST_F(Alerts, SpeakersOnManyThreadsWhileTheWindowSpeaks) {
    {
        CSpeechAlert window_speaker;
        std::atomic<int> finished{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t) {
            workers.emplace_back([&finished] {
                for (int run = 0; run < 20; ++run) {
                    CSpeechAlert speaker;
                    speaker.Speak(u"Started");
                    if (run % 2 == 0) speaker.Speak(u"Started");
                }
                ++finished;
            });
        }
        while (finished.load() < static_cast<int>(workers.size())) {
            window_speaker.Speak(u"Stopped");
            QCoreApplication::processEvents();
        }
        for (std::thread& worker : workers) worker.join();
    }
    EXPECT_TRUE(QTest::qWaitFor([this] { return AllEnded(); }, kSettleMs));
}

TEST_F(Alerts, BeepsFromManyThreadsPlayOutAndEnd) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int beep = 0; beep < 25; ++beep) PlaySearchBeep();
        });
    }
    PlaySearchBeep();
    for (std::thread& thread : threads) thread.join();
    RunPosted();
    EXPECT_TRUE(QTest::qWaitFor([this] { return AllEnded(); }, kSettleMs));
}

}  // namespace
}  // namespace glimtap
