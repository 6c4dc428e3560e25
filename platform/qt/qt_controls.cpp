#include "platform/qt/qt_controls.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>

namespace qtbackend {

namespace {

// What a screen reader or test robot sees of the drop-down list: its name, its current entry
// as its value, the list as its one child, and the actions that open the list.
class ComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit ComboBoxAccessible(ComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Combo()->currentText();
    if (t == QAccessible::Name && !Combo()->accessibleName().isEmpty()) return Combo()->accessibleName();
    if (t == QAccessible::Name) return Combo()->currentText();
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && child->object() == Combo()->view() ? 0 : -1;
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = Combo()->view()->isVisible();
    s.collapsed = !s.expanded;
    return s;
  }
  QStringList actionNames() const override { return {pressAction(), showMenuAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction() || name == showMenuAction()) Combo()->showPopup();
  }

 private:
  ComboBox* Combo() const { return static_cast<ComboBox*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(ComboBox::staticMetaObject.className()) && object && object->isWidgetType()) {
    return new ComboBoxAccessible(static_cast<ComboBox*>(object));
  }
  return nullptr;
}

}  // namespace

ComboBox::ComboBox(std::function<bool()> beforeDropDown, QWidget* parent)
    : QComboBox(parent), m_beforeDropDown(std::move(beforeDropDown)) {}

void ComboBox::showPopup() {
  if (m_beforeDropDown && !m_beforeDropDown()) return;
  QComboBox::showPopup();
}

void InstallAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(&AccessibleFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace qtbackend
