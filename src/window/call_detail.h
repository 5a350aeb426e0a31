#pragma once
// What the detail pane of the tree window says about one invocation: which call it is, and
// both texts around the characters its remainders begin with, those characters marked.

#include <QString>
#include <gmpxx.h>
#include <optional>

#include "engine/method/alignment.h"
#include "engine/study/invocation_tree.h"
#include "engine/study/kept_computation.h"

namespace velmora {

struct CallDetail {
    InvocationTree::Call call;
    std::optional<AlignmentCall> own;  // the alignment's words, for its own calls
    std::int16_t result = 0;
    mpz_class count, number;
};

// Rich text for a QTextBrowser.
QString describeCall(const KeptComputation& computation, const CallDetail& detail);

// Text1 is the upper box's text after 计算1 and the lower box's after 计算2.
QString boxNameOfText1(Direction direction);
QString boxNameOfText2(Direction direction);

}  // namespace velmora
