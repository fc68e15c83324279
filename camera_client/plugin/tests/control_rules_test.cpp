// The control dialog's one table from controls to rules: each control listed
// once with a rule, the three controls of a numeric row running the same rule,
// every other control none.
#include "Config2Controls.h"
#include "ControlRules.h"
#include "kl7700_controls/ControlIds.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace kl7700plugin {
namespace {

using kl7700::Rule;

TEST(ControlRules, EachControlListedOnceWithARule)
{
    std::set<int> seen;
    for (const ControlRule& entry : kControlRules) {
        SCOPED_TRACE(entry.controlId);
        EXPECT_TRUE(seen.insert(entry.controlId).second) << "listed twice: the later entry is never reached";
        EXPECT_NE(Rule::None, entry.rule);
    }
}

TEST(ControlRules, FieldSpinAndSliderOfARowRunTheSameRule)
{
    for (const NumericRow* row : page2::kRows) {
        SCOPED_TRACE(row->edit);
        const Rule rule = RuleForControl(row->edit);
        EXPECT_NE(Rule::None, rule);
        EXPECT_EQ(rule, RuleForControl(row->spin));
        EXPECT_EQ(rule, RuleForControl(row->slider));
        EXPECT_EQ(Rule::None, RuleForControl(row->label));
        EXPECT_EQ(Rule::None, RuleForControl(row->minLabel));
        EXPECT_EQ(Rule::None, RuleForControl(row->maxLabel));
    }
}

TEST(ControlRules, OtherControlsRunNoRule)
{
    for (int id : {7999, IDC_RXTX_DEBUG, IDC_CHANNEL_O2, IDC_CONFIGURE, IDC_PAGES, IDC_RXTX_CLEAR,
                   IDC_SYNC_OUTPUT_LABEL, 0, -1, INT_MAX}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Rule::None, RuleForControl(id));
    }
}

} // namespace
} // namespace kl7700plugin
