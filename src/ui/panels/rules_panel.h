#pragma once
// The 动态条件 page: the list of rules that follow past draws, each with the
// values it takes from the history now and what it rules out, and the
// editor that sets one rule with plain choices. The page holds no rules of
// its own: the window shows it the rules and their rows, and takes the
// player's edits from `rulesEdited`.

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <span>
#include <vector>

#include "core/state/condition_rows.h"
#include "core/state/past_draw_rule.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tarnel {

// One rule set with plain choices. The sentence of the rule follows every
// keystroke; what cannot make a rule (nothing typed, 遗漏 with a minimum
// above its maximum or a maximum beyond the draws looked at) is said in its
// place, as typed, and 确定 waits until it is put right.
class RuleEditor : public QDialog {
    Q_OBJECT
public:
    RuleEditor(const PastDrawRule& rule, bool adding, QWidget* parent = nullptr);
    PastDrawRule rule() const;
    void setRule(const PastDrawRule& rule);
    QString sentence() const;
    // What keeps the controls from making a rule; empty when they make one.
    QString problem() const;
    // Says above the controls that the rule being edited went from the list
    // meanwhile (empty: nothing to say).
    void setNotice(const QString& notice);
    QString notice() const;
    void done(int result) override;

private:
    void sourceChanged();
    void drawsChanged();
    void showSentence();

    QComboBox* measure_ = nullptr;
    QComboBox* source_ = nullptr;
    QSpinBox* draws_ = nullptr;
    QSpinBox* min_ = nullptr;
    QSpinBox* max_ = nullptr;
    QComboBox* action_ = nullptr;
    QLabel* sentence_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* ok_ = nullptr;
    int lastDraws_ = 1;  // the draws before the last change
};

class RulesPanel : public QObject {
    Q_OBJECT
public:
    explicit RulesPanel(QObject* parent = nullptr);
    // The whole page, for the window to place.
    QWidget* frame() const { return frame_; }

    // Shows `rules` with their rows for the next draw (rows[i] is rule i)
    // and the past draws they look back on, oldest first.
    void showRules(const std::vector<PastDrawRule>& rules, const std::vector<ExtraRow>& rows,
                   std::span<const int> past);
    const std::vector<PastDrawRule>& rules() const { return rules_; }
    // The selected rule, -1 when none.
    int currentRule() const;
    void selectRule(int index);

    // The player's commands (the buttons and a double-click call them).
    void addRule();
    void editRule(int index);
    void removeRule();
    void moveRule(int by);
    // The editor while it is open.
    RuleEditor* editor() const { return editor_; }

signals:
    // The rule list the player wants now.
    void rulesEdited(const std::vector<PastDrawRule>& rules);
    // The player asked for the window of past draws.
    void historyWanted();

private:
    void propose(std::vector<PastDrawRule> rules, int select);
    void openEditor(RuleEditor* editor);
    // Whether the rule the open editor changes is still where it was.
    bool editedRuleStands() const;
    void updateButtons();

    QWidget* frame_ = nullptr;
    QLabel* note_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPointer<RuleEditor> editor_;
    int editing_ = -1;          // the rule the open editor changes, -1 when adding
    PastDrawRule editingRule_;  // as it was when the editor opened
    std::vector<PastDrawRule> rules_;
    int wantedSelection_ = -1;  // the row to select once the edited list comes back
    PastDrawRule lastAdded_;    // what 添加 offers next
};

}  // namespace tarnel
