#include "engine/base/large_stack.h"

#include <pthread.h>

#include <cstddef>
#include <exception>
#include <stdexcept>

namespace velmora {
namespace {

// Reserved address space only: pages are committed as the recursion touches them.
constexpr std::size_t kStackBytes = std::size_t{256} << 20;  // the deepest nesting needs about 10 MiB

struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
};

void* runJob(void* argument)
{
    auto* job = static_cast<Job*>(argument);
    try {
        (*job->work)();
    } catch (...) {
        job->failure = std::current_exception();
    }
    return nullptr;
}

}  // namespace

void runOnLargeStack(const std::function<void()>& work)
{
    Job job{&work, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t thread;
    const int started = pthread_create(&thread, &attributes, runJob, &job);
    pthread_attr_destroy(&attributes);
    if (started != 0) throw std::runtime_error("cannot start a thread for the computation");
    pthread_join(thread, nullptr);
    if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace velmora
