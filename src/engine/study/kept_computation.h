#pragma once
// One computation kept for study after it has ended: its texts, the engine that made it
// with every pair it remembers, and on request the alignment's own calls. The invocation
// tree of the computation counts its nodes from this engine, so that a node's count costs
// a look-up rather than a sweep of the texts.

#include <cstdint>
#include <gmpxx.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/base/computation_control.h"
#include "engine/length/length_engine.h"
#include "engine/method/alignment.h"
#include "engine/method/comparison_state.h"
#include "engine/method/direction.h"
#include "engine/study/invocation_tree.h"

namespace velmora {

// The alignment's own calls as roots of the invocation tree, in their order.
InvocationTree::Call treeRoot(const AlignmentCall& call);
std::vector<InvocationTree::Call> treeRoots(const std::vector<AlignmentCall>& calls);

class KeptComputation {
public:
    // Before the computation: `before` is the state it starts from, the texts captured.
    KeptComputation(const ComparisonState& before, Direction direction, EngineKind kind, const EngineTuning& tuning);
    KeptComputation(const KeptComputation&) = delete;
    KeptComputation& operator=(const KeptComputation&) = delete;

    // The engine the computation is to use: it sees this object's copies of the texts. After
    // a computation on the literal engine, the tree's questions go to a fast one.
    const std::shared_ptr<LengthEngine>& engine() const { return engine_; }

    // The texts as the invocations see them (Text1 is the leading box's).
    const std::u16string& text1() const { return before_.Text1; }
    const std::u16string& text2() const { return before_.Text2; }
    Direction direction() const { return direction_; }

    // The alignment's own calls, in order, with their verdicts: the computation replayed
    // once on the engine, which by then answers from what it remembers. A cancelled replay
    // leaves a new engine in place of the old one.
    const std::vector<AlignmentCall>& alignmentCalls(ComputationControl* control);

    // The invocations one call on Text1[i..], Text2[j..] makes, itself included; exact under
    // the window's limit. Safe from several threads: they take turns on the engine.
    mpz_class calls(std::int32_t i, std::int32_t j);

private:
    const std::shared_ptr<LengthEngine>& studyEngine();

    ComparisonState before_;
    Direction direction_;
    EngineKind kind_;
    EngineTuning tuning_;
    std::shared_ptr<LengthEngine> engine_;       // the computation's
    std::shared_ptr<LengthEngine> studyEngine_;  // the tree's: the computation's, unless that was literal
    std::mutex engineInUse_;
    std::vector<AlignmentCall> alignmentCalls_;
    bool replayed_ = false;
};

}  // namespace velmora
