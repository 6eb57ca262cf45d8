#include "i18n/languagedialog.h"

#include <QEvent>
#include <QGroupBox>
#include <QRadioButton>

#include "app/controls.h"

TfrmLanguage::TfrmLanguage(Command russian, Command english, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      russian_(std::move(russian)),
      english_(std::move(english)) {
    setObjectName("frmLanguage");
    setWindowTitle(QStringLiteral("Язык (Language)"));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(104, 105);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setGeometry(0, 0, 104, 105);

    RadioButton1 = new QRadioButton(QStringLiteral("Русский"), GroupBox1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton2 = new QRadioButton(QStringLiteral("English"), GroupBox1);
    RadioButton2->setObjectName("RadioButton2");
    int row = 24;
    for (QRadioButton* b : {RadioButton1, RadioButton2}) {
        b->setGeometry(8, row, 88, qMax(17, b->sizeHint().height()));
        row += 40;
    }
    connect(RadioButton1, &QRadioButton::clicked, this, &TfrmLanguage::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TfrmLanguage::RadioButton2Click);

    DescribeByDesignNames(this);

    const QSize screen = PrimaryScreenSize();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

void TfrmLanguage::FormActivate() {
    const QSize screen = PrimaryScreenSize();
    int left = x();
    int top = y();
    if (left < 0)
        left = 0;
    else if (left > screen.width() - 50)
        left = screen.width() / 2;
    if (top < 0)
        top = 0;
    else if (top > screen.height() - 50)
        top = screen.height() / 2;
    if (left != x() || top != y()) move(left, top);
}

void TfrmLanguage::RadioButton1Click() {
    if (russian_) russian_();
    accept();
}

void TfrmLanguage::RadioButton2Click() {
    if (english_) english_();
    accept();
}

bool TfrmLanguage::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(e);
}
