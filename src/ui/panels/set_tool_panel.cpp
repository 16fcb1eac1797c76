#include "ui/panels/set_tool_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/widgets/controls.h"
#include "ui/widgets/state_binding.h"
#include "ui/widgets/ui_services.h"
#include "core/rules/set_tool.h"

namespace tarnel {

SetToolPanel::SetToolPanel(std::array<std::string, 2>& lists, StateBinding& binding, UiServices& services,
                           QObject* parent)
    : QObject(parent), frame_(makeStack()) {
    QWidget* page = frame_;
    MultiLineBox* boxes[3];
    for (int i = 0; i < 3; ++i) {
        boxes[i] = new MultiLineBox(indexedName(QStringLiteral("T_dd_jiaoji"), i), page);
        boxes[i]->setMinimumHeight(90);
    }
    auto* count = new LineBox(QStringLiteral("T_jiaoji_zhushu"), page);
    count->setMaximumWidth(70);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("三星大地A"), page), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("三星大地B"), page), 0, 1);
    grid->addWidget(boxes[0], 1, 0);
    grid->addWidget(boxes[1], 1, 1);
    grid->addWidget(boxes[2], 1, 2);

    const char* const operations[4] = {"AB交集", "AB并集", "A排除B", "B排除A"};
    const SetOperation ops[4] = {SetOperation::Intersection, SetOperation::Union, SetOperation::AMinusB,
                                 SetOperation::BMinusA};
    auto* opRow = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        auto* b = makeButton(indexedName(QStringLiteral("C_jiaoji_xuanzhe"), i), QString::fromUtf8(operations[i]),
                             colors::kLightBlue, page);
        opRow->addWidget(b);
        connect(b, &QPushButton::clicked, this, [boxes, count, op = ops[i]] {
            const SetToolResult r = combineLists(toStd(boxes[0]->text()), toStd(boxes[1]->text()), op);
            boxes[2]->setText(fromStd(r.text));
            count->setText(QString::number(r.count));
        });
    }
    const char* const others[3] = {"清空A", "清空B", "复制结果号码"};
    auto* otherRow = new QHBoxLayout;
    QPushButton* others_[3];
    for (int i = 0; i < 3; ++i) {
        others_[i] = makeButton(indexedName(QStringLiteral("C_jiaoji_cls"), i), QString::fromUtf8(others[i]),
                                colors::kLightBlue, page);
        otherRow->addWidget(others_[i]);
    }
    connect(others_[0], &QPushButton::clicked, boxes[0], [box = boxes[0]] { box->setText(QString()); });
    connect(others_[1], &QPushButton::clicked, boxes[1], [box = boxes[1]] { box->setText(QString()); });
    connect(others_[2], &QPushButton::clicked, this, [&services, page, result = boxes[2]] {
        services.copyWithNotice(page->window(), result->text());
    });

    auto* resultRow = new QHBoxLayout;
    resultRow->addLayout(opRow);
    resultRow->addSpacing(12);
    resultRow->addWidget(new QLabel(QStringLiteral("最终注数"), page));
    resultRow->addWidget(count);
    grid->addLayout(resultRow, 2, 0, 1, 3);
    grid->addLayout(otherRow, 3, 0, 1, 3);
    static_cast<QBoxLayout*>(page->layout())->addLayout(grid);
    binding.bind(boxes[0], lists[0]);
    binding.bind(boxes[1], lists[1]);
}

}  // namespace tarnel
