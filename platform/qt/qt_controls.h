#pragma once
// Qt widgets of the backend's own, where a plain widget cannot show a control as the
// framework needs it.

#include <QComboBox>

#include <functional>

namespace qtbackend {

// A drop-down list that lets the framework fill its list anew before it opens, and that
// assistive technology names by its accessible name rather than by its current entry.
class ComboBox : public QComboBox {
  Q_OBJECT

 public:
  // |beforeDropDown| runs before the list opens; false keeps it closed.
  ComboBox(std::function<bool()> beforeDropDown, QWidget* parent);
  void showPopup() override;

 private:
  std::function<bool()> m_beforeDropDown;
};

// Makes the backend's own widgets known to assistive technology; once per process.
void InstallAccessibleFactory();

}  // namespace qtbackend
