#pragma once
// The preferences dialog: language, data directory, alarm sound, and what the program does
// about a lost counter.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zelui {

class Tcg_preference : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_preference(QWidget* parent);
    void UpdateFromModel();

    QToolButton* cg_stop_alarme = nullptr;
    QToolButton* cg_test_alarme = nullptr;
    QPushButton* cg_pref_OK = nullptr;
    QPushButton* cg_pref_abort = nullptr;
    QLineEdit* cg_pref_rep = nullptr;
    QComboBox* cg_pref_langue = nullptr;
    QComboBox* cg_liste_alarme = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    // The connection's own settings.
    QGroupBox* connection_box = nullptr;
    QCheckBox* reconnect = nullptr;
    QCheckBox* resume_at_start = nullptr;
    QCheckBox* alarm_on_loss = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    bool updating_ = false;
};

} // namespace zelui
