// The About box: title, version with the build date, copyright and the
// maker's contacts with mail and web links. Built anew for every opening, in
// the language current at that moment.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>
#include <functional>
#include <string_view>

#include "app/controls.h"

class QFrame;
class QPushButton;

namespace kurv {
class VersionSource;
}

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // Hands a mail or web link text to the desktop.
    using ShellOpen = std::function<void(const QString&)>;

    // The link text as a URL the desktop accepts: spaces and non-ASCII
    // characters percent-encoded; a text without a scheme read as a web address.
    static QUrl LinkUrl(const QString& target);
    // The real shell: QDesktopServices::openUrl(LinkUrl(target)); its result is not checked.
    static void DesktopOpen(const QString& target);

    // With this build's version information, its build date and the desktop.
    explicit TAboutBox(int language, QWidget* parent = nullptr);
    TAboutBox(int language, kurv::VersionSource& versions, std::string_view buildDate, ShellOpen shellOpen,
              QWidget* parent = nullptr);

    // Fills the texts from the version information; run by the constructor.
    void FormCreate(kurv::VersionSource& versions, std::string_view buildDate);
    // Both e-mail labels write to the general address.
    void LabelEMailClick();
    // The picture and both web labels open the main web address.
    void LabelWWWClick();

  protected:
    // Centred over the window that opened it.
    void showEvent(QShowEvent* e) override;

  private:
    void BuildDesign();

    int language_;
    ShellOpen shellOpen_;
    QFrame* Panel1;
    TClickLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* txtCopyright;
    QLabel* LabelFax;
    QLabel* Comments;
    QLabel* LabelMulti;
    QLabel* LabelSite;
    TClickLabel* Label2;
    TClickLabel* LabelWWW;
    QLabel* LabelInfo;
    TClickLabel* LabelEMail;
    QLabel* LabelTech;
    TClickLabel* Label1;
    QPushButton* OKButton;
};
