#pragma once

#include <QtGlobal>
#include <array>
#include <cstdint>

// The synchronisation method and the eight rules it stands for: one action per side (left, right) and
// file category (new, old, orphan, binary). Setting a predefined method overwrites the eight rules with
// that method's rule set, so the rules always describe what a synchronisation will do; the method Custom
// keeps whatever rules are there.
class CSyncSettings final
{
public:
    enum Method : int32_t {
        MakeRightSameAsLeft = 0,
        MakeLeftSameAsRight = 1,
        ReplaceOlderCopyOrphans = 2,
        Custom = 3,
        AddOrphansToLeft = 4,
        AddOrphansToRight = 5,
        ReplaceOlderOnLeft = 6,
        ReplaceOlderOnRight = 7,
    };
    static constexpr int MethodCount = 8;

    enum Action : int32_t { Leave = 0, Copy = 1, Replace = 2, Delete = 3 };

    enum Side : int { Left = 0, Right = 1 };
    enum Category : int { New = 0, Old = 1, Orphan = 2, Binary = 3 };
    // Rules in the stored order: left new, old, orphan, binary, then right new, old, orphan, binary.
    using Rules = std::array<int32_t, 8>;
    static constexpr int RuleIndex(Side side, Category category) { return side * 4 + category; }

    CSyncSettings();
    Q_DISABLE_COPY_MOVE(CSyncSettings)

    int32_t SyncMethod() const { return m_syncMethod; }
    void SetSyncMethod(int32_t method);

    int32_t LeftFolderNewFilesAction() const { return m_rules[0]; }
    void SetLeftFolderNewFilesAction(int32_t v) { m_rules[0] = v; }
    int32_t LeftFolderOldFilesAction() const { return m_rules[1]; }
    void SetLeftFolderOldFilesAction(int32_t v) { m_rules[1] = v; }
    int32_t LeftFolderOrphanFilesAction() const { return m_rules[2]; }
    void SetLeftFolderOrphanFilesAction(int32_t v) { m_rules[2] = v; }
    int32_t LeftFolderBinaryFilesAction() const { return m_rules[3]; }
    void SetLeftFolderBinaryFilesAction(int32_t v) { m_rules[3] = v; }
    int32_t RightFolderNewFilesAction() const { return m_rules[4]; }
    void SetRightFolderNewFilesAction(int32_t v) { m_rules[4] = v; }
    int32_t RightFolderOldFilesAction() const { return m_rules[5]; }
    void SetRightFolderOldFilesAction(int32_t v) { m_rules[5] = v; }
    int32_t RightFolderOrphanFilesAction() const { return m_rules[6]; }
    void SetRightFolderOrphanFilesAction(int32_t v) { m_rules[6] = v; }
    int32_t RightFolderBinaryFilesAction() const { return m_rules[7]; }
    void SetRightFolderBinaryFilesAction(int32_t v) { m_rules[7] = v; }

    int32_t Action(Side side, Category category) const { return m_rules[RuleIndex(side, category)]; }
    void SetAction(Side side, Category category, int32_t v) { m_rules[RuleIndex(side, category)] = v; }
    const Rules& AllRules() const { return m_rules; }
    void SetAllRules(const Rules& rules) { m_rules = rules; }

    // The rule "follow the deletion": an object deleted on one side since the pair's last synchronization is
    // deleted on the other side (to the trash) instead of being copied back, and a pair changed on both
    // sides is left as it is. On for "Both ways" (ReplaceOlderCopyOrphans), off for the other predefined
    // methods; Custom keeps what it has.
    bool FollowDeletions() const { return m_followDeletions; }
    void SetFollowDeletions(bool on) { m_followDeletions = on; }
    // The stored rule, which only Custom reads back: a predefined method has its own.
    void LoadFollowDeletions(bool on)
    {
        if (m_syncMethod == Custom)
            m_followDeletions = on;
    }

    // Overwrites the eight rules with the rule set of the current method; Custom and unknown numbers
    // change nothing.
    void ConvertPredefinedToCustom();

    // The rule set of a predefined method; none for Custom and unknown numbers.
    static bool PredefinedRules(int32_t method, Rules* rules);
    // Whether a predefined method follows deletions ("Both ways" only).
    static bool PredefinedFollowDeletions(int32_t method) { return method == ReplaceOlderCopyOrphans; }

private:
    int32_t m_syncMethod = ReplaceOlderCopyOrphans;
    Rules m_rules{};
    bool m_followDeletions = true;
};
