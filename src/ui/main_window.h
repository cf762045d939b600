#pragma once
// The main window: live values, alarm, status area, the four pages and the menus. It copies the
// presentation model into its widgets and hands every user action to the application logic.
#include <QMainWindow>
#include <QTimer>

#include "model/model.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace zelui {

class AlarmArea;
class AlarmPicture;
class Indicator;
class ChartWidget;

class Tprincipal : public QMainWindow {
    Q_OBJECT
  public:
    explicit Tprincipal(QWidget* parent = nullptr);
    ~Tprincipal() override;

    // Copies the model into the widgets (after every change of the model).
    void UpdateFromModel();
    // The language texts of the model onto captions, hints and menus.
    void ApplyTexts();

    // Set when the window may close without running the shutdown (start-up failed).
    bool shutdown_done = false;

    // Controls, named as the program calls them.
    QPlainTextEdit* cg_info_status = nullptr;
    QLineEdit* cg_cpm_mn = nullptr;
    QLineEdit* cg_sv_H = nullptr;
    AlarmPicture* cg_ra_i = nullptr;
    AlarmPicture* cg_ra_a = nullptr;
    AlarmArea* alarm_area = nullptr; // holds both pictures, their clicks and hint
    QCheckBox* cg_alarme_active = nullptr;
    QCheckBox* cg_alarme_sonore = nullptr;
    QSpinBox* cg_seuil_alarme = nullptr;
    QLineEdit* cg_seuil_alarme_SV = nullptr;
    Indicator* cg_indicator = nullptr;
    // The MQTT broker the counts are published to, on the row of the Com indicator; shown while
    // publishing is on, its state in words as the tooltip.
    QLabel* broker_label = nullptr;
    Indicator* broker_indicator = nullptr;
    QLineEdit* enr = nullptr;
    QLabel* label_enr = nullptr;
    QTabWidget* cg_PageControl = nullptr;
    QWidget* TabSheet1 = nullptr; // "Capture"
    QWidget* TabSheet2 = nullptr; // "Graphique"
    QWidget* TabSheet3 = nullptr; // "Gaussienne"
    QWidget* TabSheet4 = nullptr; // "Statistiques"
    ChartWidget* chartComptageMn = nullptr;
    ChartWidget* chartComptageSV = nullptr;
    ChartWidget* chartHisto = nullptr;
    ChartWidget* chartGauss = nullptr;
    QLabel* label_moy_24h = nullptr;
    QLineEdit* cg_tr_moy_cpm = nullptr;
    QLineEdit* cg_tr_moy_sv = nullptr;
    QLabel* label_moyenne = nullptr;
    QLabel* label_max = nullptr;
    QLabel* label_nb_events = nullptr;
    QLabel* label_facteur = nullptr;
    QLabel* label_ecart_type = nullptr;
    QLineEdit* cg_moyenne_cpm = nullptr;
    QLineEdit* cg_moyenne_Sv = nullptr;
    QLineEdit* Cg_max_CPM = nullptr;
    QLineEdit* Cg_Max_SV = nullptr;
    QLineEdit* cg_date_max = nullptr;
    QLineEdit* cg_nb_events = nullptr;
    QLineEdit* cg_facteur_conversion = nullptr;
    QLineEdit* cg_ecart_type_CPM = nullptr;
    QLineEdit* cg_ecart_type_SV = nullptr;
    QLabel* label_records_span = nullptr;
    QLineEdit* records_span = nullptr; // how many records, from when to when
    QGroupBox* cg_Tab_RadioGroup_unit = nullptr;
    QButtonGroup* unit_group = nullptr;
    QGroupBox* cg_source = nullptr;
    QButtonGroup* source_group = nullptr;
    QRadioButton* source_items[2] = {nullptr, nullptr};
    QPushButton* cg_reset = nullptr;
    QDateTimeEdit* cg_date_deb = nullptr;
    QDateTimeEdit* cg_date_fin = nullptr;
    QTimer FlipTimer;
    QTimer close_retry;      // a close asked for while a command waits, retried afterwards
    QTimer connection_timer; // time-outs and retries of the connection
    QLabel* connection_label = nullptr; // the connection state, in the status bar

    QMenu* cg_menu_fichier = nullptr;
    QAction* cg_menuitem_connexion = nullptr;
    QAction* cg_menuitem_ouvrir = nullptr;
    QAction* cg_menuitem_pref = nullptr;
    QAction* cg_menuitme_quitter = nullptr;
    QMenu* cg_menu_compteur = nullptr;
    QAction* cg_menuitem_B = nullptr;
    QAction* cg_menuitem_F = nullptr;
    QAction* cg_menuitem_V = nullptr;
    QAction* cg_menuitem_D = nullptr;
    QAction* cg_menuitem_I = nullptr;
    QAction* cg_menu_param_compteur = nullptr;
    QAction* cg_menu_get_data = nullptr;
    QAction* cg_menuitem_Mode_PC = nullptr;
    QAction* cg_menuitem_Mode_acq = nullptr;
    QAction* cg_menuitem_RazMemoire = nullptr;
    QMenu* cg_menu_outils = nullptr;
    QAction* cg_menuitem_CombineCSV = nullptr;
    QMenu* MenuItem4 = nullptr;
    QAction* cg_menu_aide = nullptr;
    QAction* cg_menu_a_propos = nullptr;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void BuildTop(QWidget* client);
    void BuildPages(QWidget* client);
    void BuildBottom(QWidget* client);
    void BuildMenus();
    void cg_menuitem_connexionClick();
    void cg_menuitem_prefClick();
    void cg_menu_param_compteurClick();
    void cg_menu_a_proposClick();

    void ShowLiveValues();
    void AppendStatusLines();

    size_t status_lines_shown_ = 0;
    std::vector<std::string> applied_texts_; // the language texts on the widgets
    bool updating_ = false;
};

} // namespace zelui
