#pragma once
// The preferences dialog: language, data directory, alarm sound, and what the program does
// about a lost counter on its general page; publishing the counts to an MQTT broker on its
// network page, and the radiation maps the counts are uploaded to below it.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace zelui {

class MapSettingsBox;

class Tcg_preference : public QDialog {
    Q_OBJECT
  public:
    explicit Tcg_preference(QWidget* parent);
    void UpdateFromModel();

    QTabWidget* pages = nullptr;
    QToolButton* cg_stop_alarme = nullptr;
    QToolButton* cg_test_alarme = nullptr;
    QPushButton* cg_pref_OK = nullptr;
    QPushButton* cg_pref_abort = nullptr;
    QLineEdit* cg_pref_rep = nullptr;
    QToolButton* open_data_dir = nullptr; // opens cg_pref_rep in the file manager
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
    // The network page.
    QCheckBox* mqtt_enabled = nullptr;
    QLabel* mqtt_url_label = nullptr;
    QLineEdit* mqtt_url = nullptr;
    QLabel* mqtt_user_label = nullptr;
    QLineEdit* mqtt_user = nullptr;
    QLabel* mqtt_password_label = nullptr;
    QLineEdit* mqtt_password = nullptr;
    QCheckBox* mqtt_save_password = nullptr;
    QLabel* mqtt_ca_label = nullptr;
    QLineEdit* mqtt_ca = nullptr;
    QToolButton* mqtt_ca_browse = nullptr;
    QLabel* mqtt_prefix_label = nullptr;
    QLineEdit* mqtt_prefix = nullptr;
    QCheckBox* mqtt_discovery = nullptr;
    QLabel* mqtt_ha_prefix_label = nullptr;
    QLineEdit* mqtt_ha_prefix = nullptr;
    QPushButton* mqtt_test = nullptr;
    QLabel* mqtt_result = nullptr;
    // The radiation maps, on the network page below the broker.
    QGroupBox* maps_box = nullptr;
    MapSettingsBox* map_box = nullptr;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    QWidget* NetworkPage();
    bool updating_ = false;
};

} // namespace zelui
