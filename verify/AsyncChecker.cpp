#include "verify/AsyncChecker.h"

namespace verify {

AsyncChecker::AsyncChecker(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<verify::Verdict>();
    // One worker: decodes of one window never overlap, and a core stays free
    // for the window itself.
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(30'000);
}

AsyncChecker::~AsyncChecker()
{
    cancel();
    m_pool.waitForDone();
}

void AsyncChecker::check(Request request)
{
    bool start = false;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->pending = std::move(request);
        m_shared->pendingTag = ++m_latest;
        start = !std::exchange(m_shared->running, true);
    }
    if (start)
        m_pool.start([this] { work(); });
}

void AsyncChecker::cancel()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->pending.reset();
    // A result still on its way carries an older tag and is dropped.
    ++m_latest;
}

bool AsyncChecker::busy() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running;
}

// Runs on the worker until no request is left.
void AsyncChecker::work()
{
    for (;;) {
        Request request;
        quint64 tag = 0;
        {
            std::lock_guard lock(m_shared->mutex);
            if (!m_shared->pending) {
                m_shared->running = false;
                return;
            }
            request = std::move(*m_shared->pending);
            m_shared->pending.reset();
            tag = m_shared->pendingTag;
        }
        ++m_shared->started;
        const Verdict verdict = verify::check(request.symbology, request.image, request.context);
        // Queued to the owner's thread; dropped there if a newer request came
        // meanwhile, and by Qt if the checker is gone.
        QMetaObject::invokeMethod(
            this, [this, tag, verdict] { deliver(tag, verdict); }, Qt::QueuedConnection);
    }
}

void AsyncChecker::deliver(quint64 tag, const Verdict& verdict)
{
    if (tag == m_latest)
        emit checked(verdict);
}

} // namespace verify
