#pragma once
// The overflow proof of one long call on a thread of its own, beside the racing orders
// rather than in turns with them: on a second core it costs the race nothing, and it is
// not held back to the orders' pace.
//
// While it runs, the proof is the only user of what it reads that can change: the table
// of remainder lengths (built beforehand by its constructor), which no engine uses under
// a count limit. The texts' occurrences are fixed once indexed.

#include <atomic>
#include <cstdint>
#include <thread>

namespace velmora {

class OverflowProof;

class ProofAlongside {
public:
    // Starts proving that the call CommonLength(first[i..], second[j..]) makes at least
    // `needed` nested invocations. The proof must outlive this object.
    ProofAlongside(OverflowProof& proof, std::int32_t i, std::int32_t j, std::uint64_t needed);
    // Stops the proof, within one slice of its steps, and waits for it.
    ~ProofAlongside();
    ProofAlongside(const ProofAlongside&) = delete;
    ProofAlongside& operator=(const ProofAlongside&) = delete;

    // Whether the call is proved to make the invocations needed.
    bool proved() const { return proved_.load(std::memory_order_acquire); }

private:
    void prove(std::uint64_t needed);

    OverflowProof& proof_;
    std::atomic<bool> stop_{false}, proved_{false};
    std::thread thread_;
};

}  // namespace velmora
