#pragma once

#include "verify/ScanCheck.h"

#include <QObject>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace verify {

// Decodes off the owner's thread, one picture at a time, and only the latest:
//  - a new request replaces any that has not started;
//  - the worker waits until requests have paused for `settle` before it asks
//    for the picture, so while keys are typed faster than that neither a copy
//    of the picture nor a decode competes with the redraws;
//  - the picture is fetched on the owner's thread, through its event loop,
//    between two handlers: the caller's drawing is never read from the worker;
//  - a verdict reaches the owner's thread through its event loop, and only the
//    verdict of the latest request is ever delivered.
class AsyncChecker : public QObject {
    Q_OBJECT
  public:
    using Request = verify::Request;
    // Builds the request once the worker is ready for it, on the owner's
    // thread; nothing when there is no longer a symbol to check.
    using Source = std::function<std::optional<Request>()>;

    // Reads one picture, on the worker; verify::check unless a test holds the
    // worker at a chosen moment.
    using Decode = std::function<Verdict(const Request&)>;

    static constexpr std::chrono::milliseconds kSettle{40};

    explicit AsyncChecker(QObject* parent = nullptr, std::chrono::milliseconds settle = kSettle,
                          Decode decode = {});
    // Waits for a decode in progress; its verdict is dropped.
    ~AsyncChecker() override;

    void check(Source source);
    void check(Request request);
    // Forgets the latest request: no verdict is delivered until the next check().
    void cancel();
    // A request is waiting, being fetched or being decoded.
    bool busy() const;
    // Decodes started since construction; a burst of requests must not add one each.
    int decodesStarted() const;

  signals:
    void checked(const verify::Verdict& verdict);
    // The latest request's source found no symbol to check.
    void nothingToCheck();

  private:
    using Clock = std::chrono::steady_clock;
    struct Fetched {
        quint64 tag = 0;
        std::optional<Request> request;
    };
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake; // a newer request, a fetched picture, or the end
        Source pending;
        Clock::time_point pendingSince;
        quint64 pendingTag = 0;
        std::optional<Fetched> fetched;
        bool running = false;
        bool ending = false;
        int started = 0;
    };
    void work();
    void fetch(quint64 tag, const Source& source);
    void deliver(quint64 tag, const Verdict& verdict);

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::chrono::milliseconds m_settle;
    Decode m_decode;
    quint64 m_latest = 0; // the tag of the latest request; touched on the owner's thread only
    QThreadPool m_pool;
};

} // namespace verify
