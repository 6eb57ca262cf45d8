#include "stats/formstatistics.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "i18n/uistring.h"

namespace {

const QColor kHeaderBackground(235, 235, 235);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

template <class T>
T* Named(T* w, const char* name) {
    w->setObjectName(name);
    w->setAccessibleDescription(name);
    return w;
}

}  // namespace

TFormStatistics::TFormStatistics(QWidget* owner) : QWidget(owner, Qt::Tool) {
    Named(this, "FormStatistics");
    setFont(owner->font());

    gridStatistics = Named(new QTableWidget(this), "gridStatistics");
    gridStatistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridStatistics->setSelectionMode(QAbstractItemView::NoSelection);
    gridStatistics->setFocusPolicy(Qt::NoFocus);
    gridStatistics->verticalHeader()->hide();
    gridStatistics->horizontalHeader()->hide();
    gridStatistics->setShowGrid(false);
    gridStatistics->setWordWrap(false);
    gridStatistics->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridStatistics->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    lblStatisticsNotes = Named(new QLabel(this), "lblStatisticsNotes");
    lblStatisticsNotes->setWordWrap(true);
    lblStatisticsNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);

    btnStatisticsCopy = Named(new QPushButton(this), "btnStatisticsCopy");
    connect(btnStatisticsCopy, &QPushButton::clicked, this, &TFormStatistics::copyRequested);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStatisticsCopy);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(gridStatistics);
    layout->addWidget(lblStatisticsNotes);
    layout->addLayout(buttons);
    ApplyLanguage(0);
}

void TFormStatistics::ApplyLanguage(int language) {
    language_ = language == 1 ? 1 : 0;
    auto pick = [this](const char* russian, const char* english) {
        return UiString(russian, english).In(language_);
    };
    setWindowTitle(pick("Статистика аппроксимации", "Fit statistics"));
    btnStatisticsCopy->setText(pick("Копировать", "Copy"));
    btnStatisticsCopy->setAccessibleName(
        pick("Копировать как текст с табуляциями", "Copy as tab-separated text"));
}

void TFormStatistics::ShowSheet(kurv::StatisticsSheet sheet) {
    sheet_ = std::move(sheet);
    Render();
}

// Ctrl+C is the window's own: the main window's copies would otherwise answer
// it too, a tool window sharing its owner's shortcuts.
bool TFormStatistics::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy)) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

void TFormStatistics::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy))
        emit copyRequested();
    else
        QWidget::keyPressEvent(e);
}

QString TFormStatistics::Tsv() const {
    return Q(kurv::SheetTsv(sheet_));
}

QString TFormStatistics::CellText(int row, int column) const {
    const QTableWidgetItem* item = gridStatistics->item(row, column);
    return item ? item->text() : QString();
}

int TFormStatistics::RowCount() const {
    return gridStatistics->rowCount();
}

void TFormStatistics::Render() {
    int columns = 1, rows = 0;
    for (const kurv::SheetSection& s : sheet_.sections) {
        columns = std::max(columns, static_cast<int>(s.header.size()));
        for (const auto& r : s.rows) columns = std::max(columns, static_cast<int>(r.size()));
        rows += 1 + (s.header.empty() ? 0 : 1) + static_cast<int>(s.rows.size());
    }
    if (!sheet_.sections.empty()) rows += static_cast<int>(sheet_.sections.size()) - 1;  // a gap between
    gridStatistics->clear();
    gridStatistics->clearSpans();
    gridStatistics->setRowCount(rows);
    gridStatistics->setColumnCount(columns);
    QFont bold = font();
    bold.setBold(true);
    int row = 0;
    auto put = [&](const std::vector<std::string>& texts, bool header) {
        for (int c = 0; c < static_cast<int>(texts.size()); ++c) {
            auto* item = new QTableWidgetItem(Q(texts[static_cast<std::size_t>(c)]));
            // Labels on the left, figures on the right where they line up.
            item->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            if (header) {
                item->setFont(bold);
                item->setBackground(kHeaderBackground);
            }
            gridStatistics->setItem(row, c, item);
        }
        ++row;
    };
    for (std::size_t i = 0; i < sheet_.sections.size(); ++i) {
        const kurv::SheetSection& s = sheet_.sections[i];
        if (i) ++row;
        auto* title = new QTableWidgetItem(Q(s.title));
        title->setFont(bold);
        gridStatistics->setItem(row, 0, title);
        gridStatistics->setSpan(row, 0, 1, columns);
        ++row;
        if (!s.header.empty()) put(s.header, true);
        for (const auto& r : s.rows) put(r, false);
    }
    QStringList notes;
    for (const std::string& n : sheet_.notes) notes << Q(n);
    lblStatisticsNotes->setText(notes.join('\n'));
    gridStatistics->setVisible(rows > 0);

    // As large as the sheet: no scrolling, no empty space.
    gridStatistics->resizeColumnsToContents();
    gridStatistics->resizeRowsToContents();
    int width = 2 * gridStatistics->frameWidth();
    for (int c = 0; c < columns; ++c) {
        gridStatistics->setColumnWidth(c, gridStatistics->columnWidth(c) + 8);
        width += gridStatistics->columnWidth(c);
    }
    int height = 2 * gridStatistics->frameWidth();
    for (int r = 0; r < rows; ++r) height += gridStatistics->rowHeight(r);
    gridStatistics->setFixedSize(width, height);
    // Notes wrap at the grid's width, or at a reading width without a grid.
    lblStatisticsNotes->setFixedWidth(rows > 0 ? width : 360);
    lblStatisticsNotes->setMinimumHeight(lblStatisticsNotes->heightForWidth(lblStatisticsNotes->width()));
    if (layout()) layout()->activate();
    resize(sizeHint());
    // A sheet grown wider than the room right of where the window stands moves it back onto the screen.
    if (const QScreen* s = screen(); s && isVisible()) {
        const QRect room = s->availableGeometry();
        const int left = std::max(room.left(), std::min(x(), room.right() + 1 - frameGeometry().width()));
        if (left != x()) move(left, y());
    }
}
