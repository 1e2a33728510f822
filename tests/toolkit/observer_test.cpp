#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/observer.h"

namespace talmi::test {
namespace {

struct SkinParam {
  bool colour = false;
  unsigned argb = 0;
  std::string image;
};

class Receiver : public ReceiverImpl<int, SkinParam> {
 public:
  int Receive(SkinParam p) override {
    got.push_back(p.image);
    p.image = "changed by receiver";  // must not leak to the next one
    if (onReceive) onReceive();
    return 1;
  }
  std::vector<std::string> got;
  std::function<void()> onReceive;
};

TEST(ObserverTest, EveryReceiverGetsItsOwnCopy) {
  ObserverImpl<int, SkinParam> obs;
  Receiver a, b;
  a.AddObserver(&obs);
  obs.AddReceiver(&b);
  obs.AddReceiver(&b);  // once only
  EXPECT_EQ(obs.GetReceiverCount(), 2);
  obs.Broadcast(SkinParam{false, 0, "common/background.png"});
  EXPECT_EQ(a.got, (std::vector<std::string>{"common/background.png"}));
  EXPECT_EQ(b.got, (std::vector<std::string>{"common/background.png"}));
  b.RemoveObserver(&obs);
  obs.Broadcast(SkinParam{true, 0xFF2F9BFF, ""});
  EXPECT_EQ(a.got.size(), 2u);
  EXPECT_EQ(b.got.size(), 1u);
}

TEST(ObserverTest, EitherSideMayGoFirst) {
  auto obs = std::make_unique<ObserverImpl<int, SkinParam>>();
  {
    Receiver gone;
    gone.AddObserver(obs.get());
  }
  EXPECT_EQ(obs->GetReceiverCount(), 0);
  Receiver r;
  r.AddObserver(obs.get());
  obs.reset();  // the receiver is unhooked, its destructor must not touch it
  SUCCEED();
}

TEST(ObserverTest, AReceiverRemovedDuringABroadcastIsSkipped) {
  ObserverImpl<int, SkinParam> obs;
  Receiver first, second;
  first.AddObserver(&obs);
  second.AddObserver(&obs);
  first.onReceive = [&] { second.RemoveObserver(&obs); };
  obs.Broadcast(SkinParam{false, 0, "x"});
  EXPECT_EQ(first.got.size(), 1u);
  EXPECT_TRUE(second.got.empty());
}

}  // namespace
}  // namespace talmi::test
