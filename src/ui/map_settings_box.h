#pragma once
// The radiation map settings of the preferences: one group per map, each with a box that turns
// it on, its fields and a test button that sends the counter's last count with the values shown.
#include <QWidget>

#include "net/map_upload.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zelui {

class MapSettingsBox : public QWidget {
    Q_OBJECT
  public:
    explicit MapSettingsBox(QWidget* parent);
    // The settings in force, shown (the dialog opens).
    void Load();
    // What the fields say.
    zel::MapUploadSettings Settings() const;
    // The dialog's OK: the settings shown take effect and are saved. A file that cannot be
    // written is reported.
    void Apply();
    // Language texts.
    void ApplyTexts();

    QCheckBox* radmon = nullptr;
    QLineEdit* radmon_user = nullptr;
    QLineEdit* radmon_password = nullptr;
    QCheckBox* gmcmap = nullptr;
    QLineEdit* gmcmap_account = nullptr;
    QLineEdit* gmcmap_counter = nullptr;
    QCheckBox* safecast = nullptr;
    QLineEdit* safecast_key = nullptr;
    QDoubleSpinBox* latitude = nullptr;
    QDoubleSpinBox* longitude = nullptr;
    QSpinBox* device = nullptr;
    QSpinBox* upload_every = nullptr;
    QPushButton* test[zel::kMapServiceCount] = {};
    QLabel* result[zel::kMapServiceCount] = {}; // a test's outcome

  private:
    void Test(zel::MapService s);

    QLabel* labels_[10] = {};
    QLabel* secrets_ = nullptr;
    // Settings the fields do not show (addresses of mirrors), kept as they are.
    zel::MapUploadSettings loaded_;
};

} // namespace zelui
