#pragma once
// Parameters of a VORN counter (models 3, 8, 9 and 10).
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelui {

class Tcg_param_vornx : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_param_vornx(QWidget* parent);
    void UpdateFromModel();

    QGroupBox* led = nullptr;
    QGroupBox* buz = nullptr;
    QGroupBox* unites = nullptr;
    QButtonGroup* led_items = nullptr;
    QButtonGroup* buz_items = nullptr;
    QButtonGroup* unites_items = nullptr;
    QLineEdit* seuil = nullptr;
    QLabel* label_seuil = nullptr;
    QLineEdit* facteur_conversion = nullptr;
    QLabel* label_facteur_conversion = nullptr;
    QPushButton* Lire = nullptr;
    QPushButton* envoyer = nullptr;
    QLabel* label_version = nullptr;
    QLineEdit* version = nullptr;
    QLabel* label_batterie = nullptr;
    QLineEdit* batterie = nullptr;
    QPushButton* sortir = nullptr;
    QLineEdit* etat = nullptr;
    QLineEdit* mem_used = nullptr;
    QLabel* label_mem_used = nullptr;
    QLabel* label_mem_max = nullptr;
    QLineEdit* mem_max = nullptr;
    QLineEdit* jours = nullptr;
    QLabel* label_jours = nullptr;
    QLabel* Label_pile = nullptr;
    QLineEdit* Date = nullptr;
    QLabel* Label_date = nullptr;
    QLabel* Label_heure = nullptr;
    QLineEdit* Heure = nullptr;
    QCheckBox* Ajust = nullptr;
    QLabel* Label_Ajust = nullptr;
    QComboBox* Pile_Utilisee = nullptr;

    // The read action runs each time the dialog becomes the active window.
    bool read_on_activate = true;

  protected:
    void showEvent(QShowEvent* e) override;
    bool event(QEvent* e) override;

  private:
    void StoreInputs();
    bool updating_ = false;
    bool acting_ = false;
};

} // namespace zelui
