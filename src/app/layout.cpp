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
    if (app_.layoutLock != 0) return;
    const QSize client = ClientAreaSize(this);

    TGroupBox* result = app_.GroupBoxResult;
    result->move(result->x(), client.height() - result->height() - kResultBottomMargin);
    table_.GroupBoxTable->resize(table_.GroupBoxTable->width(), result->y());
    table_.sgData->resize(table_.sgData->width(), table_.GroupBoxTable->height() - table_.sgData->y() - 5);
    output_.Chart1->resize(client.width() - table_.GroupBoxTable->width() - 25,
                           client.height() - fit_.GroupBoxKoef->height() - result->height() - 10);
    app_.CheckBoxOnTop->move(client.width() - app_.CheckBoxOnTop->width() - 5, app_.CheckBoxOnTop->y());
    const int left = app_.CheckBoxOnTop->x();
    for (QWidget* w : {static_cast<QWidget*>(fit_.ComboBox1), static_cast<QWidget*>(fit_.LabelTypeFunc),
                       static_cast<QWidget*>(output_.btnPrint), static_cast<QWidget*>(output_.btnGraphCopy)})
        w->move(left, w->y());
}
