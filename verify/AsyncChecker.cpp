#include "verify/AsyncChecker.h"

namespace verify {

AsyncChecker::AsyncChecker(QObject* parent, std::chrono::milliseconds settle, Decode decode)
    : QObject(parent), m_settle(settle), m_decode(std::move(decode))
{
    if (!m_decode)
        m_decode = [](const Request& r) { return verify::check(r); };
    qRegisterMetaType<verify::Verdict>();
    // One worker: decodes of one window never overlap, and a core stays free
    // for the window itself.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(30'000);
}

AsyncChecker::~AsyncChecker()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->ending = true;
        m_shared->pending = nullptr;
    }
    m_shared->wake.notify_all();
    m_pool.waitForDone();
}

void AsyncChecker::check(Source source)
{
    bool start = false;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending = std::move(source);
        m_shared->pendingSince = Clock::now();
        m_shared->pendingTag = ++m_latest;
        start = !std::exchange(m_shared->running, true);
    }
    // No wake-up: a worker waiting for typing to pause looks again when its
    // wait ends, and one waiting for a picture gets an answer for it anyway.
    if (start)
        m_pool.start([this] { work(); });
}

void AsyncChecker::check(Request request)
{
    check([request = std::move(request)] { return std::optional<Request>(request); });
}

void AsyncChecker::cancel()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending = nullptr;
        // A verdict still on its way carries an older tag and is dropped.
        ++m_latest;
    }
    m_shared->wake.notify_all();
}

bool AsyncChecker::busy() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running;
}

int AsyncChecker::decodesStarted() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->started;
}

// Runs on the worker until no request is left.
void AsyncChecker::work()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        // A picture about to be replaced by the next keystroke is not worth
        // reading; each newer request starts the wait again.
        while (s.pending && !s.ending && Clock::now() < s.pendingSince + m_settle)
            s.wake.wait_until(lock, s.pendingSince + m_settle);
        if (!s.pending || s.ending) {
            s.running = false;
            return;
        }
        const quint64 tag = s.pendingTag;
        Source source = std::exchange(s.pending, nullptr);
        s.fetched.reset();
        // Queued to the owner's thread, which runs it between two handlers.
        QMetaObject::invokeMethod(
            this, [this, tag, source = std::move(source)] { fetch(tag, source); }, Qt::QueuedConnection);
        // An answer to an earlier fetch may still come in first: wait for this one.
        s.wake.wait(lock, [&] { return (s.fetched && s.fetched->tag == tag) || s.pending || s.ending; });
        if (s.pending || s.ending || !s.fetched || !s.fetched->request)
            continue; // replaced, ending, cancelled, or no symbol any more
        const Request request = std::move(*s.fetched->request);
        s.fetched.reset();
        ++s.started;
        lock.unlock();
        const Verdict verdict = m_decode(request);
        // Dropped on the owner's thread if a newer request came meanwhile, and
        // by Qt if the checker is gone.
        QMetaObject::invokeMethod(
            this, [this, tag, verdict] { deliver(tag, verdict); }, Qt::QueuedConnection);
        lock.lock();
    }
}

void AsyncChecker::fetch(quint64 tag, const Source& source)
{
    // Only the latest request is worth its copy of the picture.
    std::optional<Request> request = tag == m_latest ? source() : std::nullopt;
    if (tag == m_latest && !request)
        emit nothingToCheck();
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->fetched = Fetched{tag, std::move(request)};
    }
    m_shared->wake.notify_all();
}

void AsyncChecker::deliver(quint64 tag, const Verdict& verdict)
{
    if (tag == m_latest)
        emit checked(verdict);
}

} // namespace verify
