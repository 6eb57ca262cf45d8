// The layout on resizing: the chart and the right-hand column follow the
// window's size; everything else stays where it was designed.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/controls.h"
#include "app/formmain.h"
#include "output/chartview.h"
#include "table/stringgrid.h"

void TFormMain::FormResize() {
    if (layoutLock_ != 0) return;
    const QSize client = ClientAreaSize(this);

    GroupBoxResult->move(GroupBoxResult->x(),
                         client.height() - GroupBoxResult->height() - kResultBottomMargin);
    GroupBoxTable->resize(GroupBoxTable->width(), GroupBoxResult->y());
    sgData->resize(sgData->width(), GroupBoxTable->height() - sgData->y() - 5);
    Chart1->resize(client.width() - GroupBoxTable->width() - 25,
                   client.height() - GroupBoxKoef->height() - GroupBoxResult->height() - 10);
    CheckBoxOnTop->move(client.width() - CheckBoxOnTop->width() - 5, CheckBoxOnTop->y());
    const int left = CheckBoxOnTop->x();
    for (QWidget* w : {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(LabelTypeFunc),
                       static_cast<QWidget*>(btnPrint), static_cast<QWidget*>(btnGraphCopy)})
        w->move(left, w->y());
}
