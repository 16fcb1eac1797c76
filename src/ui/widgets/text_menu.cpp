#include "ui/widgets/text_menu.h"

#include <QAction>
#include <QMenu>

namespace tarnel {

void useChineseCaptions(QMenu* menu) {
    // Qt names these actions after their icons.
    static const struct {
        const char* name;
        const char* caption;
    } kCaptions[] = {{"edit-undo", "撤销(&U)"},   {"edit-redo", "重做(&R)"},   {"edit-cut", "剪切(&T)"},
                     {"edit-copy", "复制(&C)"},   {"edit-paste", "粘贴(&P)"},  {"edit-delete", "删除"},
                     {"select-all", "全选(&A)"},  {"link-copy", "复制链接地址(&L)"}};
    for (QAction* action : menu->actions()) {
        for (const auto& c : kCaptions) {
            if (action->objectName() != QLatin1String(c.name)) continue;
            const QString text = action->text();
            const qsizetype tab = text.indexOf(QLatin1Char('\t'));
            action->setText(QString::fromUtf8(c.caption) + (tab < 0 ? QString() : text.mid(tab)));
        }
    }
}

}  // namespace tarnel
