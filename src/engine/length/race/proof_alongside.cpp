#include "engine/length/race/proof_alongside.h"

#include "engine/length/engine_tuning.h"
#include "engine/length/race/overflow_proof.h"

namespace velmora {

ProofAlongside::ProofAlongside(OverflowProof& proof, std::int32_t i, std::int32_t j, std::uint64_t needed)
    : proof_(proof)
{
    proof_.start(i, j);
    thread_ = std::thread([this, needed] { prove(needed); });
}

ProofAlongside::~ProofAlongside()
{
    stop_.store(true, std::memory_order_relaxed);
    thread_.join();
}

void ProofAlongside::prove(std::uint64_t needed)
{
    try {
        while (!stop_.load(std::memory_order_relaxed)) {
            if (proof_.advance(tuning::kProofSlice, needed)) {
                proved_.store(true, std::memory_order_release);
                return;
            }
            if (proof_.finished()) return;
        }
    } catch (...) {
        // A cancelled computation: the orders see the request themselves.
    }
}

}  // namespace velmora
