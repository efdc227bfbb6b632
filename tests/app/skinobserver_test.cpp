#include "app/skinobserver.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace varlok::app {
namespace {

using Publisher = ObserverImpl<int, SkinChangedParam>;

// Writes "name:image" for every change and "name?image" for every query it
// receives into a shared log; may run a step of the test's own on a change.
class LoggingReceiver : public ReceiverImpl<int, SkinChangedParam> {
public:
    LoggingReceiver(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)), m_log(log) {}

    int OnSkinChanged(SkinChangedParam param) override {
        m_log.push_back(m_name + ":" + param.image);
        if (onChange) {
            onChange(param);
        }
        return 1;
    }
    int OnSkinQuery(SkinChangedParam param,
                    ObserverImplBase<int, SkinChangedParam>* publisher) override {
        m_log.push_back(m_name + "?" + param.image);
        queriedBy = publisher;
        return 1;
    }

    std::function<void(SkinChangedParam&)> onChange;
    ObserverImplBase<int, SkinChangedParam>* queriedBy = nullptr;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

const SkinChangedParam kPicture{false, 0, "common/bg_aurora.png"};

TEST(SkinObserverTest, ReceiversAreCalledInRegistrationOrderEachWithItsOwnCopy) {
    Publisher publisher;
    std::vector<std::string> log;
    LoggingReceiver b("b", log);
    LoggingReceiver a("a", log);
    LoggingReceiver c("c", log);
    // The first receiver changes what it was given; the later ones must not
    // see that.
    b.onChange = [](SkinChangedParam& param) {
        param.image = "changed";
        param.useColour = true;
    };
    publisher.RegisterReceiver(&b);
    publisher.RegisterReceiver(&a);
    publisher.RegisterReceiver(&c);
    EXPECT_EQ(publisher.PublishSkinChange(kPicture), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"b:common/bg_aurora.png", "a:common/bg_aurora.png",
                                             "c:common/bg_aurora.png"}));
}

TEST(SkinObserverTest, PublishWithReplyQueriesEveryReceiverWithThePublisher) {
    Publisher publisher;
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    LoggingReceiver b("b", log);
    publisher.RegisterReceiver(&a);
    publisher.RegisterReceiver(&b);
    EXPECT_EQ(publisher.PublishWithReply(kPicture), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a?common/bg_aurora.png", "b?common/bg_aurora.png"}));
    EXPECT_EQ(a.queriedBy, &publisher);
    EXPECT_EQ(b.queriedBy, &publisher);
}

TEST(SkinObserverTest, RegistrationAttachesThePublisherAndCountsPublishers) {
    Publisher first;
    Publisher second;
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    first.RegisterReceiver(&a);
    second.RegisterReceiver(&a);
    EXPECT_EQ(a.Observers(),
              (std::vector<ObserverImplBase<int, SkinChangedParam>*>{&first, &second}));
    EXPECT_EQ(a.AttachObserver(&first), 3);

    // A second registration of the same receiver adds nothing: it is still
    // called once per change.
    Publisher third;
    third.RegisterReceiver(&a);
    third.RegisterReceiver(&a);
    third.RegisterReceiver(nullptr);
    EXPECT_EQ(third.Receivers().size(), 1u);
    log.clear();
    third.PublishSkinChange(kPicture);
    EXPECT_EQ(log.size(), 1u);
}

TEST(SkinObserverTest, DetachingLeavesEveryPublisher) {
    Publisher first;
    Publisher second;
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    LoggingReceiver b("b", log);
    first.RegisterReceiver(&a);
    first.RegisterReceiver(&b);
    second.RegisterReceiver(&a);
    a.DetachFromObservers();
    EXPECT_TRUE(a.Observers().empty());
    EXPECT_FALSE(first.IsRegistered(&a));
    EXPECT_FALSE(second.IsRegistered(&a));
    first.PublishSkinChange(kPicture);
    second.PublishSkinChange(kPicture);
    EXPECT_EQ(log, (std::vector<std::string>{"b:common/bg_aurora.png"}));
}

TEST(SkinObserverTest, UnregisteringRemovesTheReceiverAndItForgetsThePublisher) {
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    {
        Publisher publisher;
        publisher.RegisterReceiver(&a);
        publisher.UnregisterReceiver(&a);
        publisher.UnregisterReceiver(&a);
        EXPECT_TRUE(publisher.Receivers().empty());
        EXPECT_TRUE(a.Observers().empty());
    }
    // a goes away after the publisher: it must not reach for it.
}

TEST(SkinObserverTest, AReceiverDestroyedWhileRegisteredLeavesNoTrace) {
    Publisher publisher;
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    {
        LoggingReceiver gone("gone", log);
        publisher.RegisterReceiver(&gone);
        publisher.RegisterReceiver(&a);
    }
    EXPECT_EQ(publisher.Receivers(), (std::vector<ReceiverImplBase<int, SkinChangedParam>*>{&a}));
    publisher.PublishSkinChange(kPicture);
    EXPECT_EQ(log, (std::vector<std::string>{"a:common/bg_aurora.png"}));
}

TEST(SkinObserverTest, APublisherDestroyedFirstIsForgottenByItsReceivers) {
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    Publisher other;
    other.RegisterReceiver(&a);
    {
        Publisher gone;
        gone.RegisterReceiver(&a);
    }
    EXPECT_EQ(a.Observers(), (std::vector<ObserverImplBase<int, SkinChangedParam>*>{&other}));
}

TEST(SkinObserverTest, ReceiversMayLeaveOrGoDuringAPublication) {
    Publisher publisher;
    std::vector<std::string> log;
    LoggingReceiver a("a", log);
    auto b = std::make_unique<LoggingReceiver>("b", log);
    LoggingReceiver c("c", log);
    // a destroys b before b's turn, and c leaves by itself.
    a.onChange = [&b](SkinChangedParam&) { b.reset(); };
    c.onChange = [&c, &publisher](SkinChangedParam&) { publisher.UnregisterReceiver(&c); };
    publisher.RegisterReceiver(&a);
    publisher.RegisterReceiver(b.get());
    publisher.RegisterReceiver(&c);
    publisher.PublishSkinChange(kPicture);
    EXPECT_EQ(log, (std::vector<std::string>{"a:common/bg_aurora.png", "c:common/bg_aurora.png"}));
    log.clear();
    publisher.PublishSkinChange(kPicture);
    EXPECT_EQ(log, (std::vector<std::string>{"a:common/bg_aurora.png"}));
}

TEST(SkinObserverTest, DefaultReceiverAnswersZeroAndTheProcessHasOnePublisher) {
    ReceiverImpl<int, SkinChangedParam> plain;
    EXPECT_EQ(plain.OnSkinChanged(kPicture), 0);
    EXPECT_EQ(plain.OnSkinQuery(kPicture, &SkinPublisher()), 0);
    EXPECT_EQ(&SkinPublisher(), &SkinPublisher());
    SkinPublisher().RegisterReceiver(&plain);
    EXPECT_TRUE(SkinPublisher().IsRegistered(&plain));
}

}  // namespace
}  // namespace varlok::app
