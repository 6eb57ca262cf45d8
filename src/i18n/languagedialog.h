// The first-start question for the interface language. Its texts are fixed:
// each language is offered under its own name.
#pragma once

#include <QDialog>
#include <functional>

class QGroupBox;
class QRadioButton;

class TfrmLanguage : public QDialog {
    Q_OBJECT
  public:
    using Command = std::function<void()>;

    // `russian` and `english` are the main window's language commands; a
    // choice runs one of them and closes the dialog with Accepted.
    explicit TfrmLanguage(Command russian, Command english, QWidget* parent = nullptr);

    // Keeps the dialog on the primary screen; runs whenever it becomes active.
    void FormActivate();
    void RadioButton1Click();
    void RadioButton2Click();

  protected:
    bool event(QEvent* e) override;

  private:
    Command russian_;
    Command english_;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
};
