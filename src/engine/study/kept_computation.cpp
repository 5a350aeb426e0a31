#include "engine/study/kept_computation.h"

namespace velmora {
namespace {

// The replay's window: the computation has shown its result already.
class NoWindow : public WindowOperations {
public:
    void colourGap(Box, std::int32_t, std::int32_t) override {}
    void select(Box, std::int32_t, std::int32_t) override {}
    void collapseSelection(Box) override {}
    void setText(Box, std::u16string_view) override {}
    void setCaption(Label, std::u16string_view) override {}
    void setFocus(Box) override {}
    void yield() override {}
};

}  // namespace

InvocationTree::Call treeRoot(const AlignmentCall& call)
{
    const auto role = call.role == AlignmentCall::Role::Take ? InvocationTree::Role::Take : InvocationTree::Role::Skip;
    return {role, call.pos1, call.pos2};
}

std::vector<InvocationTree::Call> treeRoots(const std::vector<AlignmentCall>& calls)
{
    std::vector<InvocationTree::Call> roots;
    roots.reserve(calls.size());
    for (const AlignmentCall& call : calls) roots.push_back(treeRoot(call));
    return roots;
}

KeptComputation::KeptComputation(const ComparisonState& before, Direction direction, EngineKind kind,
                                 const EngineTuning& tuning)
    : before_(before),
      direction_(direction),
      kind_(kind),
      tuning_(tuning),
      engine_(std::make_shared<LengthEngine>(kind, before_.Text1, before_.Text2, tuning))
{
}

const std::vector<AlignmentCall>& KeptComputation::alignmentCalls(ComputationControl* control)
{
    const std::lock_guard lock(engineInUse_);
    if (replayed_) return alignmentCalls_;
    std::vector<AlignmentCall> calls;
    ComparisonState state = before_;
    NoWindow window;
    AlignmentOptions options;
    options.control = control;
    options.lengths = studyEngine();
    options.onCall = [&](const AlignmentCall& call) { calls.push_back(call); };
    try {
        Align(state, direction_, window, options);
    } catch (const CancelledError&) {
        // Cut short mid-evaluation, the engine may hold half-made frames: a new one answers
        // from here on, remembering nothing.
        studyEngine_ = std::make_shared<LengthEngine>(EngineKind::Fast, before_.Text1, before_.Text2, tuning_);
        throw;
    }
    alignmentCalls_ = std::move(calls);
    replayed_ = true;
    return alignmentCalls_;
}

mpz_class KeptComputation::calls(std::int32_t i, std::int32_t j)
{
    const std::lock_guard lock(engineInUse_);
    CallCounter counter;
    (*studyEngine())(i, j, counter);
    return counter.exact();
}

const std::shared_ptr<LengthEngine>& KeptComputation::studyEngine()
{
    // The literal engine remembers nothing and would count every invocation again; the fast
    // one makes the same calls in the same order with the same counts.
    if (!studyEngine_)
        studyEngine_ = kind_ == EngineKind::Fast
                           ? engine_
                           : std::make_shared<LengthEngine>(EngineKind::Fast, before_.Text1, before_.Text2, tuning_);
    return studyEngine_;
}

}  // namespace velmora
