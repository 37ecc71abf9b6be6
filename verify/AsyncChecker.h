#pragma once

#include "verify/ScanCheck.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace verify {

// Decodes off the caller's thread, one image at a time. A new request replaces
// any that has not started, so a burst of keystrokes costs one decode at most
// beyond the one running; results reach the owner's thread through its event
// loop, and only the result of the latest request is ever delivered.
class AsyncChecker : public QObject {
    Q_OBJECT
  public:
    struct Request {
        Symbology symbology = Symbology::Code128;
        QImage image; // a copy of its own: the worker reads it while the caller draws on
        Context context;
    };

    explicit AsyncChecker(QObject* parent = nullptr);
    // Waits for a decode in progress; its result is dropped.
    ~AsyncChecker() override;

    void check(Request request);
    // Forgets the latest request: no result is delivered until the next check().
    void cancel();
    // A request is waiting or being decoded.
    bool busy() const;
    // Decodes started since construction; a burst of requests must not add one each.
    int decodesStarted() const { return m_shared->started; }

  signals:
    void checked(const verify::Verdict& verdict);

  private:
    struct Shared {
        std::mutex mutex;
        std::optional<Request> pending;
        quint64 pendingTag = 0;
        bool running = false;
        std::atomic<int> started{0};
    };
    void work();
    void deliver(quint64 tag, const Verdict& verdict);

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    quint64 m_latest = 0; // the tag of the latest request; touched on the owner's thread only
    QThreadPool m_pool;
};

} // namespace verify
