#include "about/aboutbox.h"

#include <QDesktopServices>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

#include "app/qtext.h"
#include "core/about_info.h"
#include "core/uitext.h"

namespace {

// The program's picture: a fitted curve through measured points.
QPixmap ProgramPicture() {
    QPixmap pm(74, 44);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(QColor(255, 255, 240));
    p.drawRoundedRect(QRectF(0.5, 0.5, 73, 43), 5, 5);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(8, 37, 68, 37);
    p.drawLine(8, 37, 8, 5);
    QPainterPath curve(QPointF(10, 34));
    curve.cubicTo(QPointF(30, 33), QPointF(45, 26), QPointF(66, 7));
    p.setPen(QPen(QColor(0, 0, 200), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(Qt::NoPen);
    const QColor colours[] = {QColor(0, 160, 0), QColor(230, 160, 0), QColor(220, 0, 0)};
    const QPointF points[] = {{16, 31}, {28, 32}, {40, 26}, {52, 21}, {62, 10}};
    int i = 0;
    for (QPointF pt : points) {
        p.setBrush(colours[i++ % 3]);
        p.drawEllipse(pt, 2.5, 2.5);
    }
    return pm;
}

kurv::VersionSource& BuildVersions() {
    static kurv::BuildVersionSource build;
    return build;
}

void MakeLink(QLabel* label, const char* hint) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(pal);
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(Q(hint));
}

}  // namespace

QUrl TAboutBox::LinkUrl(const QString& target) {
    QUrl url(target, QUrl::TolerantMode);
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(target);
    return url;
}

void TAboutBox::DesktopOpen(const QString& target) {
    QDesktopServices::openUrl(LinkUrl(target));
}

TAboutBox::TAboutBox(int language, QWidget* parent)
    : TAboutBox(language, BuildVersions(), kurv::BuildDate(), &TAboutBox::DesktopOpen, parent) {}

TAboutBox::TAboutBox(int language, kurv::VersionSource& versions, std::string_view buildDate,
                     ShellOpen shellOpen, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      language_(language == 1 ? 1 : 0),
      shellOpen_(std::move(shellOpen)) {
    BuildDesign();
    FormCreate(versions, buildDate);
}

void TAboutBox::BuildDesign() {
    setObjectName("AboutBox");
    setWindowTitle(kurv::about::kCaption);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(346, 290);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);  // lowered outer, raised inner bevel
    Panel1->setGeometry(8, 8, 329, 233);

    ProgramIcon = new TClickLabel(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 16, 74, 44);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(ProgramPicture());
    ProgramIcon->setCursor(Qt::PointingHandCursor);
    ProgramIcon->setToolTip(Q(kurv::about::kWebHint));

    struct Design {
        QLabel*& label;
        const char* name;
        int left;
        int top;
        const char* text;
        bool click;
    };
    const Design labels[] = {
        {ProductName, "ProductName", 88, 16, kurv::about::kProductName, false},
        {Version, "Version", 88, 40, kurv::about::kVersion, false},
        {txtCopyright, "txtCopyright", 8, 80, kurv::about::kCopyright, false},
        {LabelFax, "LabelFax", 8, 104, kurv::about::kLabelFax, false},
        {Comments, "Comments", 72, 104, kurv::about::kPhones, false},
        {LabelMulti, "LabelMulti", 184, 104, kurv::about::kLabelMulti, false},
        {LabelSite, "LabelSite", 8, 152, kurv::about::kLabelSite, false},
        {LabelInfo, "LabelInfo", 8, 184, kurv::about::kLabelInfo, false},
        {LabelTech, "LabelTech", 8, 200, kurv::about::kLabelTech, false},
    };
    for (const Design& d : labels) {
        d.label = new QLabel(Q(d.text), Panel1);
        d.label->setObjectName(d.name);
        d.label->move(d.left, d.top);
        d.label->adjustSize();
    }
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comments->setGeometry(72, 104, 96, 39);

    struct Link {
        TClickLabel*& label;
        const char* name;
        int left;
        int top;
        const char* text;
        const char* hint;
        void (TAboutBox::*click)();
    };
    const Link links[] = {
        {Label2, "Label2", 112, 152, kurv::about::kWebSecond, kurv::about::kWebHint,
         &TAboutBox::LabelWWWClick},
        {LabelWWW, "LabelWWW", 112, 168, kurv::about::kWebMain, kurv::about::kWebHint,
         &TAboutBox::LabelWWWClick},
        {LabelEMail, "LabelEMail", 112, 184, kurv::about::kMailGeneral, kurv::about::kMailHint,
         &TAboutBox::LabelEMailClick},
        {Label1, "Label1", 112, 200, kurv::about::kMailSupport, kurv::about::kMailHint,
         &TAboutBox::LabelEMailClick},
    };
    for (const Link& l : links) {
        l.label = new TClickLabel(Q(l.text), Panel1);
        l.label->setObjectName(l.name);
        l.label->move(l.left, l.top);
        MakeLink(l.label, l.hint);
        l.label->adjustSize();
        connect(l.label, &TClickLabel::clicked, this, l.click);
    }
    connect(ProgramIcon, &TClickLabel::clicked, this, &TAboutBox::LabelWWWClick);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(143, 252, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    DescribeByDesignNames(this);
}

void TAboutBox::FormCreate(kurv::VersionSource& versions, std::string_view buildDate) {
    const kurv::AboutTexts t = kurv::ComposeAboutTexts(versions, buildDate, language_);
    // A text in a wider font than the design's would run into its neighbour
    // (or past the panel): narrow the font instead.
    auto put = [](QLabel* label, const std::optional<std::string>& text, int right) {
        if (!text) return;
        label->setText(Q(*text));
        const int room = right - label->x() - 3;
        QFont f = label->font();
        while (label->sizeHint().width() > room && f.pixelSize() > 8) {
            f.setPixelSize(f.pixelSize() - 1);
            label->setFont(f);
        }
        label->adjustSize();
    };
    const int panelRight = Panel1->width() - 2;
    const int linkColumn = LabelWWW->x();
    if (t.caption) setWindowTitle(Q(*t.caption));
    put(ProductName, t.productName, panelRight);
    put(Version, t.version, panelRight);
    put(txtCopyright, t.copyright, panelRight);
    put(LabelFax, t.labelFax, Comments->x());
    put(LabelMulti, t.labelMulti, panelRight);
    put(LabelSite, t.labelSite, linkColumn);
    put(LabelInfo, t.labelInfo, linkColumn);
    put(LabelTech, t.labelTech, linkColumn);
}

void TAboutBox::LabelEMailClick() {
    if (!shellOpen_) return;
    shellOpen_(Q(kurv::MailLinkText(LabelEMail->text().toStdString(),
                                    kurv::UiText(kurv::TextId::AppTitle, language_))));
}

void TAboutBox::LabelWWWClick() {
    if (shellOpen_) shellOpen_(Q(kurv::WebLinkText(LabelWWW->text().toStdString())));
}

void TAboutBox::showEvent(QShowEvent* e) {
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect frame = frameGeometry();
        move(owner->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2) +
             (pos() - frame.topLeft()));
    }
    QDialog::showEvent(e);
}
