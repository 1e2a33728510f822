#pragma once
// A broadcast of one parameter record to every subscribed receiver (skin
// changes). Each receiver gets its own copy. Receivers and observers unhook
// each other when either side goes away first.
#include <algorithm>
#include <vector>

namespace talmi {

template <typename ReturnT, typename ParamT>
class ReceiverImpl;

template <typename ReturnT, typename ParamT>
class ObserverImpl {
 public:
  using Receiver = ReceiverImpl<ReturnT, ParamT>;
  ObserverImpl() = default;
  ObserverImpl(const ObserverImpl&) = delete;
  ObserverImpl& operator=(const ObserverImpl&) = delete;
  virtual ~ObserverImpl() {
    std::vector<Receiver*> rs;
    rs.swap(m_receivers);
    for (Receiver* r : rs) r->ForgetObserver(this);
  }

  virtual void AddReceiver(Receiver* r) {
    if (!r || Has(r)) return;
    m_receivers.push_back(r);
    r->RememberObserver(this);
  }
  virtual void RemoveReceiver(Receiver* r) {
    auto it = std::find(m_receivers.begin(), m_receivers.end(), r);
    if (it == m_receivers.end()) return;
    m_receivers.erase(it);
    r->ForgetObserver(this);
  }
  // Every receiver subscribed when the broadcast starts and still subscribed
  // when its turn comes.
  virtual ReturnT Broadcast(ParamT param) {
    std::vector<Receiver*> rs = m_receivers;
    for (Receiver* r : rs)
      if (Has(r)) {
        ParamT copy = param;
        r->Receive(copy);
      }
    return ReturnT();
  }
  // One receiver's answer, or a default value when it is not subscribed.
  virtual ReturnT Notify(ParamT param, Receiver* r) {
    if (!Has(r)) return ReturnT();
    return r->Respond(param, this);
  }
  int GetReceiverCount() const { return static_cast<int>(m_receivers.size()); }

 private:
  bool Has(Receiver* r) const { return std::find(m_receivers.begin(), m_receivers.end(), r) != m_receivers.end(); }
  std::vector<Receiver*> m_receivers;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl {
 public:
  using Observer = ObserverImpl<ReturnT, ParamT>;
  ReceiverImpl() = default;
  ReceiverImpl(const ReceiverImpl&) = delete;
  ReceiverImpl& operator=(const ReceiverImpl&) = delete;
  virtual ~ReceiverImpl() {
    std::vector<Observer*> os = m_observers;
    for (Observer* o : os) o->RemoveReceiver(this);
  }

  void AddObserver(Observer* o) {
    if (o) o->AddReceiver(this);
  }
  void RemoveObserver(Observer* o) {
    if (o) o->RemoveReceiver(this);
  }
  virtual ReturnT Receive(ParamT param) = 0;
  virtual ReturnT Respond(ParamT param, Observer*) { return Receive(param); }

 private:
  friend class ObserverImpl<ReturnT, ParamT>;
  void RememberObserver(Observer* o) {
    if (std::find(m_observers.begin(), m_observers.end(), o) == m_observers.end()) m_observers.push_back(o);
  }
  void ForgetObserver(Observer* o) { std::erase(m_observers, o); }
  std::vector<Observer*> m_observers;
};

}  // namespace talmi
