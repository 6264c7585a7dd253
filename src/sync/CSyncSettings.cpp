#include "sync/CSyncSettings.h"

namespace {

constexpr int32_t L = CSyncSettings::Leave;
constexpr int32_t C = CSyncSettings::Copy;
constexpr int32_t R = CSyncSettings::Replace;
constexpr int32_t D = CSyncSettings::Delete;

} // namespace

CSyncSettings::CSyncSettings() { ConvertPredefinedToCustom(); }

void CSyncSettings::SetSyncMethod(int32_t method)
{
    m_syncMethod = method;
    ConvertPredefinedToCustom();
}

bool CSyncSettings::PredefinedRules(int32_t method, Rules* rules)
{
    switch (method) {
    case MakeRightSameAsLeft: *rules = {C, C, C, C, R, R, D, R}; return true;
    case MakeLeftSameAsRight: *rules = {R, R, D, R, C, C, C, C}; return true;
    case ReplaceOlderCopyOrphans: *rules = {C, R, C, L, C, R, C, L}; return true;
    case AddOrphansToLeft: *rules = {L, L, L, L, L, L, C, L}; return true;
    case AddOrphansToRight: *rules = {L, L, C, L, L, L, L, L}; return true;
    case ReplaceOlderOnLeft: *rules = {L, R, L, L, C, L, L, L}; return true;
    case ReplaceOlderOnRight: *rules = {C, L, L, L, L, R, L, L}; return true;
    default: return false;
    }
}

void CSyncSettings::ConvertPredefinedToCustom()
{
    Rules rules;
    if (PredefinedRules(m_syncMethod, &rules)) {
        m_rules = rules;
        m_followDeletions = PredefinedFollowDeletions(m_syncMethod);
    }
}
