#include "platform/qt/qt_window_system.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>

#include <cmath>
#include <ctime>

#include "platform/qt/qt_controls.h"
#include "platform/dialog.h"
#include "platform/user_input.h"
#include "platform/wnd.h"

namespace qtbackend {

namespace {

constexpr DWORD kEsCenter = 0x1;
constexpr DWORD kSsCenter = 0x1;
constexpr DWORD kSsCenterImage = 0x200;
constexpr DWORD kWsBorder = 0x00800000;

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

QPixmap IconPixmap(HICON icon) {
  if (!icon) return {};
  QImage image(icon->rgb.data(), icon->width, icon->height, icon->width * 3, QImage::Format_RGB888);
  return QPixmap::fromImage(image.copy());
}

QDateTime LocalDateTime(std::int64_t t) { return QDateTime::fromSecsSinceEpoch(t); }

// The rows of a report list, read straight from the window model. Changes are announced as
// one reset after the handler that made them returns, so that filling 4000 rows draws once.
class ListModel : public QAbstractTableModel {
 public:
  explicit ListModel(NativeWindow* w, QObject* parent) : QAbstractTableModel(parent), m_w(w) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_rows; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_columns; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto col = static_cast<std::size_t>(index.column());
    if (row >= m_w->rows.size() || col >= m_w->rows[row].size()) return {};
    return Q(m_w->rows[row][col]);
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section >= static_cast<int>(m_w->columns.size())) return {};
    return Q(m_w->columns[static_cast<std::size_t>(section)].heading);
  }
  void Schedule(QTableView* view) {
    if (m_pending) return;
    m_pending = true;
    QTimer::singleShot(0, this, [this, view] { Reset(view); });
  }
  // Shows the rows now if a refresh is due; true when one was.
  bool ResetIfPending(QTableView* view) {
    if (!m_pending) return false;
    Reset(view);
    return true;
  }
  void Reset(QTableView* view) {
    if (!m_pending) return;
    m_pending = false;
    beginResetModel();
    m_rows = static_cast<int>(m_w->rows.size());
    m_columns = static_cast<int>(m_w->columns.size());
    endResetModel();
    for (int c = 0; c < m_columns; ++c) view->setColumnWidth(c, m_w->columns[static_cast<std::size_t>(c)].width);
    view->setShowGrid((m_w->listExStyle & LVS_EX_GRIDLINES) != 0);
    view->setSelectionBehavior((m_w->listExStyle & LVS_EX_FULLROWSELECT) ? QAbstractItemView::SelectRows
                                                                        : QAbstractItemView::SelectItems);
  }

 private:
  NativeWindow* m_w;
  int m_rows = 0;
  int m_columns = 0;
  bool m_pending = false;
};

// The dialog: Enter, Esc and Close go to the framework, which decides what they do.
class FrameDialog : public QDialog {
 public:
  FrameDialog(DialogWindow* dlg, QWidget* parent) : QDialog(parent), m_dlg(dlg) {}
  void Detach() { m_dlg = nullptr; }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (!m_dlg) return;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
      user::PressKey(*m_dlg, user::Key::Enter);
    } else if (e->key() == Qt::Key_Escape) {
      user::PressKey(*m_dlg, user::Key::Escape);
    } else {
      QWidget::keyPressEvent(e);
    }
  }
  void closeEvent(QCloseEvent* e) override {
    if (m_dlg && !m_dlg->ended) {
      e->ignore();
      user::Close(*m_dlg);
    }
  }
  void reject() override {
    if (m_dlg && !m_dlg->ended) user::PressKey(*m_dlg, user::Key::Escape);
  }
  void changeEvent(QEvent* e) override {
    if (m_dlg && e->type() == QEvent::WindowStateChange) {
      const bool minimised = (windowState() & Qt::WindowMinimized) != 0;
      if (minimised != m_dlg->iconic) user::SystemCommand(*m_dlg, minimised ? SC_MINIMIZE : SC_RESTORE);
    }
    QDialog::changeEvent(e);
  }

 private:
  DialogWindow* m_dlg;
};

// Routes focus-in and presses of a control (or of a widget inside it) to the framework's press
// rule. Qt gives the focus of a press before the control sees the press itself.
class FocusFilter : public QObject {
 public:
  FocusFilter(QtWindowSystem* system, DialogWindow* dlg, NativeWindow* wnd, QObject* parent)
      : QObject(parent), m_system(system), m_dlg(dlg), m_wnd(wnd) {}
  bool eventFilter(QObject*, QEvent* e) override {
    user::PressRouter& press = m_system->Press();
    switch (e->type()) {
      case QEvent::FocusIn:
        if (!m_system->SettingFocus()) {
          press.FocusIn(*m_dlg, *m_wnd, static_cast<QFocusEvent*>(e)->reason() == Qt::MouseFocusReason);
        }
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        // The press whose focus change showed a box goes no further: no click, no list.
        if (press.TakeDropped(*m_wnd)) return true;
        press.Begin(*m_wnd);
        return false;
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Space && !static_cast<QKeyEvent*>(e)->isAutoRepeat()) {
          press.Begin(*m_wnd);
        }
        return false;
      default:
        return false;
    }
  }

 private:
  QtWindowSystem* m_system;
  DialogWindow* m_dlg;
  NativeWindow* m_wnd;
};

std::int64_t WithDate(std::int64_t base, const QDate& d) {
  const std::time_t t = static_cast<std::time_t>(base);
  std::tm tm{};
  localtime_r(&t, &tm);
  tm.tm_year = d.year() - 1900;
  tm.tm_mon = d.month() - 1;
  tm.tm_mday = d.day();
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

std::int64_t WithTime(std::int64_t base, const QTime& q) {
  const std::time_t t = static_cast<std::time_t>(base);
  std::tm tm{};
  localtime_r(&t, &tm);
  tm.tm_hour = q.hour();
  tm.tm_min = q.minute();
  tm.tm_sec = q.second();
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

}  // namespace

struct QtWindowSystem::DialogView {
  FrameDialog* dialog = nullptr;
  QEventLoop* loop = nullptr;
  int baseX = 6;
  int baseY = 12;
  QRect Pixels(const CRect& r) const {
    return QRect(r.left * baseX / 4, r.top * baseY / 8, r.Width() * baseX / 4, r.Height() * baseY / 8);
  }
};

QtWindowSystem::QtWindowSystem() { InstallAccessibleFactory(); }

QtWindowSystem::~QtWindowSystem() {
  for (auto& [key, timer] : m_timers) delete timer;
  for (auto& [token, notifier] : m_notifiers) delete notifier;
}

void QtWindowSystem::SetItemTooltips(std::function<std::string(const std::string&)> tooltipForItem) {
  m_tooltips = std::move(tooltipForItem);
}
void QtWindowSystem::SetBoxAutomation(std::function<std::pair<int, int>(const BoxSeen&)> answer) {
  m_boxAutomation = std::move(answer);
}
void QtWindowSystem::SetFileDialogAutomation(std::function<std::optional<std::string>(const FileDialogRequest&)> answer) {
  m_fileAutomation = std::move(answer);
}

QWidget* QtWindowSystem::Widget(const NativeWindow* wnd) const {
  if (!wnd) return nullptr;
  if (wnd->kind == ControlKind::Dialog) {
    auto* view = static_cast<DialogView*>(wnd->view);
    return view ? view->dialog : nullptr;
  }
  return static_cast<QWidget*>(wnd->view);
}

// ---- Views ---------------------------------------------------------------------------------

void QtWindowSystem::CreateView(DialogWindow& dlg) {
  auto* view = new DialogView();
  dlg.view = view;
  const DialogTemplate& tpl = *dlg.dialogTemplate;

  // Dialog units from the template's face, or the desktop's font when the face is missing.
  QFont font = QApplication::font();
  if (QFontDatabase::families().contains(QString::fromUtf8(tpl.faceName))) font.setFamily(QString::fromUtf8(tpl.faceName));
  font.setPointSize(tpl.pointSize);
  const QFontMetrics fm(font);
  view->baseX = static_cast<int>(std::lround(fm.horizontalAdvance(QStringLiteral(
                                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                                             52.0));
  view->baseY = fm.height();

  QWidget* parent = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && qobject_cast<QDialog*>(w)) parent = w;
  }
  auto* d = new FrameDialog(&dlg, parent);
  if (parent) d->setWindowModality(Qt::ApplicationModal);  // a dialog over the main window
  view->dialog = d;
  d->setFont(font);
  d->setWindowTitle(Q(dlg.text));
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint;
  if (dlg.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
  d->setWindowFlags(flags);
  const QRect client = view->Pixels(CRect{0, 0, dlg.unitRect.Width(), dlg.unitRect.Height()});
  d->setFixedSize(client.size());
  dlg.clientPixelWidth = client.width();
  dlg.clientPixelHeight = client.height();

  for (auto& c : dlg.controls) {
    NativeWindow* w = c.get();
    QRect r = view->Pixels(w->unitRect);
    QWidget* widget = nullptr;
    switch (w->kind) {
      case ControlKind::PushButton:
      case ControlKind::DefPushButton: {
        auto* b = new QPushButton(Q(w->text), d);
        b->setAutoDefault(false);
        b->setDefault(false);
        QObject::connect(b, &QPushButton::clicked, b, [this, &dlg, w] { m_press.Clicked(dlg, *w); });
        widget = b;
        break;
      }
      case ControlKind::GroupBox:
        widget = new QGroupBox(Q(w->text), d);
        break;
      case ControlKind::Edit: {
        auto* e = new QLineEdit(Q(w->text), d);
        if (w->style & kEsCenter) e->setAlignment(Qt::AlignCenter);
        e->setFrame((w->style & kWsBorder) != 0);
        QObject::connect(e, &QLineEdit::textEdited, e, [&dlg, w](const QString& text) { user::SetText(dlg, w->id, S(text)); });
        widget = e;
        break;
      }
      case ControlKind::ComboBox: {
        auto* cb = new ComboBox([&dlg, w] { return user::DropDown(dlg, w->id); }, d);
        QObject::connect(cb, QOverload<int>::of(&QComboBox::activated), cb,
                         [&dlg, w](int index) { user::SelectComboItem(dlg, w->id, index); });
        r.setHeight(std::min(r.height(), fm.height() + 10));
        widget = cb;
        break;
      }
      case ControlKind::ListView: {
        auto* table = new QTableView(d);
        auto* model = new ListModel(w, table);
        table->setModel(model);
        table->verticalHeader()->hide();
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->verticalHeader()->setDefaultSectionSize(fm.height() + 4);
        table->horizontalHeader()->setHighlightSections(false);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setWordWrap(false);
        table->setFrameShape((w->style & kWsBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
        widget = table;
        break;
      }
      case ControlKind::StaticText: {
        auto* label = new QLabel(Q(w->text), d);
        Qt::Alignment a = (w->style & kSsCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
        a |= (w->style & kSsCenterImage) ? Qt::AlignVCenter : Qt::AlignTop;
        label->setAlignment(a);
        widget = label;
        break;
      }
      case ControlKind::StaticIcon: {
        auto* label = new QLabel(d);
        label->setPixmap(IconPixmap(w->icon));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        r.setSize(QSize(32, 32));
        widget = label;
        break;
      }
      case ControlKind::DatePicker: {
        auto* de = new QDateEdit(d);
        de->setCalendarPopup(true);
        de->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        QObject::connect(de, &QDateEdit::dateChanged, de, [&dlg, w](const QDate& date) {
          user::SetPickerTime(dlg, w->id, WithDate(w->time, date));
        });
        widget = de;
        break;
      }
      case ControlKind::TimePicker: {
        auto* te = new QTimeEdit(d);
        te->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        QObject::connect(te, &QTimeEdit::timeChanged, te, [&dlg, w](const QTime& time) {
          user::SetPickerTime(dlg, w->id, WithTime(w->time, time));
        });
        widget = te;
        break;
      }
      case ControlKind::HostedControl:
      case ControlKind::Dialog:
        break;  // the serial control has no face
    }
    if (!widget) continue;
    widget->setGeometry(r);
    widget->setHidden(!w->visible);
    widget->setEnabled(w->enabled);
    widget->setFocusPolicy((w->style & WS_TABSTOP) ? Qt::StrongFocus : Qt::NoFocus);
    if (const std::string name = w->AccessibleName(); !name.empty()) widget->setAccessibleName(Q(name));
    auto* filter = new FocusFilter(this, &dlg, w, widget);
    widget->installEventFilter(filter);
    for (QWidget* child : widget->findChildren<QWidget*>()) child->installEventFilter(filter);
    w->view = widget;
    if (w->kind == ControlKind::ListView) {
      auto* table = static_cast<QTableView*>(widget);
      w->clientWidth = r.width() - 2 * table->frameWidth();
      w->clientHeight = r.height() - 2 * table->frameWidth() - table->horizontalHeader()->sizeHint().height();
    } else {
      w->clientWidth = r.width();
      w->clientHeight = r.height();
    }
  }
  // Template order is the tab order.
  QWidget* previous = nullptr;
  for (auto& c : dlg.controls) {
    auto* widget = static_cast<QWidget*>(c->view);
    if (!widget || !(c->style & WS_TABSTOP)) continue;
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  if (m_viewCreated) m_viewCreated(dlg);
}

void QtWindowSystem::DestroyView(DialogWindow& dlg) {
  auto* view = static_cast<DialogView*>(dlg.view);
  if (!view) return;
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    const bool ours = it->first.first == &dlg;
    if (ours) it->second->deleteLater();
    it = ours ? m_timers.erase(it) : std::next(it);
  }
  m_press.Forget(dlg);
  for (auto& c : dlg.controls) c->view = nullptr;
  // The widgets go now, with their pending list refreshes: the window model they read is
  // freed as soon as this returns. The dialog's loop has returned, so no handler of theirs runs.
  view->dialog->Detach();
  delete view->dialog;
  delete view;
  dlg.view = nullptr;
}

void QtWindowSystem::WindowChanged(NativeWindow& wnd, Change what) {
  if (wnd.dialog && wnd.dialog->view) Refresh(wnd, what);
}

void QtWindowSystem::Refresh(NativeWindow& wnd, Change what) {
  DialogWindow& dlg = *wnd.dialog;
  auto* view = static_cast<DialogView*>(dlg.view);
  if (wnd.kind == ControlKind::Dialog) {
    switch (what) {
      case Change::Text: view->dialog->setWindowTitle(Q(wnd.text)); break;
      case Change::Icon:
        if (dlg.bigIcon) view->dialog->setWindowIcon(QIcon(IconPixmap(dlg.bigIcon)));
        break;
      case Change::Visible:
        if (dlg.ended) {
          view->dialog->hide();
          if (view->loop) view->loop->quit();
        }
        break;
      case Change::Iconic:
        if (dlg.iconic != ((view->dialog->windowState() & Qt::WindowMinimized) != 0)) {
          dlg.iconic ? view->dialog->showMinimized() : view->dialog->showNormal();
        }
        break;
      case Change::Focus:
        if (auto* target = static_cast<QWidget*>(dlg.focus ? dlg.focus->view : nullptr); target && !target->hasFocus()) {
          m_settingFocus = true;
          target->setFocus(Qt::OtherFocusReason);
          m_settingFocus = false;
        }
        break;
      default:
        break;
    }
    return;
  }
  auto* widget = static_cast<QWidget*>(wnd.view);
  if (!widget) return;
  if (what == Change::Text) {
    for (auto& c : dlg.controls) {
      if (c->nameFrom == wnd.id && c->view) static_cast<QWidget*>(c->view)->setAccessibleName(Q(c->AccessibleName()));
    }
  }
  switch (what) {
    case Change::Enabled:
      // Qt moves the focus off a widget it disables; the platform the system is written for
      // does not, so that move is not an operator's action.
      m_settingFocus = true;
      widget->setEnabled(wnd.enabled);
      m_settingFocus = false;
      break;
    case Change::Visible: widget->setHidden(!wnd.visible); break;
    case Change::Text:
      if (auto* e = qobject_cast<QLineEdit*>(widget)) {
        if (S(e->text()) != wnd.text) e->setText(Q(wnd.text));
      } else if (auto* b = qobject_cast<QPushButton*>(widget)) {
        b->setText(Q(wnd.text));
      } else if (auto* l = qobject_cast<QLabel*>(widget)) {
        l->setText(Q(wnd.text));
      }
      break;
    case Change::Icon:
      if (auto* l = qobject_cast<QLabel*>(widget)) l->setPixmap(IconPixmap(wnd.icon));
      break;
    case Change::Items:
    case Change::Selection:
      if (auto* cb = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker block(cb);
        if (what == Change::Items) {
          cb->clear();
          for (const std::string& item : wnd.items) {
            cb->addItem(Q(item));
            if (m_tooltips) cb->setItemData(cb->count() - 1, Q(m_tooltips(item)), Qt::ToolTipRole);
          }
        }
        cb->setCurrentIndex(wnd.curSel);
        if (m_tooltips && wnd.curSel >= 0) cb->setToolTip(Q(m_tooltips(wnd.items[static_cast<std::size_t>(wnd.curSel)])));
      }
      break;
    case Change::Rows:
    case Change::Columns:
      if (auto* table = qobject_cast<QTableView*>(widget)) static_cast<ListModel*>(table->model())->Schedule(table);
      break;
    case Change::Time:
      if (auto* de = qobject_cast<QDateEdit*>(widget)) {
        const QSignalBlocker block(de);
        de->setDate(LocalDateTime(wnd.time).date());
      } else if (auto* te = qobject_cast<QTimeEdit*>(widget)) {
        const QSignalBlocker block(te);
        te->setTime(LocalDateTime(wnd.time).time());
      }
      break;
    default:
      break;
  }
}

void QtWindowSystem::RunModalLoop(DialogWindow& dlg) {
  auto* view = static_cast<DialogView*>(dlg.view);
  view->dialog->show();
  view->dialog->raise();
  view->dialog->activateWindow();
  if (dlg.focus && dlg.focus->view) {
    m_settingFocus = true;
    static_cast<QWidget*>(dlg.focus->view)->setFocus(Qt::OtherFocusReason);
    m_settingFocus = false;
  }
  QEventLoop loop;
  view->loop = &loop;
  if (!dlg.ended) loop.exec();
  view->loop = nullptr;
}

// ---- Boxes and the file dialog -------------------------------------------------------------

// Rows a handler added are drawn before a box covers the window, not after the box is built:
// the first box of a process takes several milliseconds to make.
void QtWindowSystem::DrawPendingLists(DialogWindow* dlg) {
  if (!dlg || !dlg->view) return;
  for (auto& c : dlg->controls) {
    auto* table = c->kind == ControlKind::ListView ? static_cast<QTableView*>(c->view) : nullptr;
    if (table && static_cast<ListModel*>(table->model())->ResetIfPending(table)) table->viewport()->repaint();
  }
}

int QtWindowSystem::MessageBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) {
  const auto askedAt = std::chrono::steady_clock::now();
  DrawPendingLists(owner);
  QWidget* parent = owner && owner->view ? static_cast<DialogView*>(owner->view)->dialog : nullptr;
  QMessageBox box(parent);
  box.setWindowTitle(Q(caption));
  QString shown = Q(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  box.setText(shown);
  switch (type & MB_ICONMASK) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
    case MB_YESNO:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    default:
      box.setStandardButtons(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
  }
  const std::size_t index = m_boxes.size();
  m_boxes.push_back({text, caption, type, 0, askedAt});
  if (m_boxAutomation) {
    const auto [button, holdMs] = m_boxAutomation(m_boxes.back());
    const QMessageBox::StandardButton qbutton = button == IDCANCEL ? QMessageBox::Cancel
                                                : button == IDYES  ? QMessageBox::Yes
                                                : button == IDNO   ? QMessageBox::No
                                                                   : QMessageBox::Ok;
    QTimer::singleShot(holdMs, &box, [&box, qbutton] { box.done(qbutton); });
  }
  const int r = box.exec();
  const int answer = r == QMessageBox::Cancel ? IDCANCEL
                     : r == QMessageBox::Yes  ? IDYES
                     : r == QMessageBox::No   ? IDNO
                                              : IDOK;
  m_boxes[index].answer = answer;
  return answer;
}

bool QtWindowSystem::FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) {
  if (m_fileAutomation) return CompleteFileChoice(*this, owner, request, m_fileAutomation(request), path);
  QWidget* parent = owner && owner->view ? static_cast<DialogView*>(owner->view)->dialog : nullptr;
  // "Name|pattern|Name|pattern|" becomes Qt's "Name (pattern);;Name (pattern)".
  QStringList filters;
  const QStringList parts = Q(request.filter).split(QLatin1Char('|'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    if (!name.contains(parts[i + 1])) name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    filters << name;
  }
  QFileDialog dialog(parent);
  dialog.setAcceptMode(request.openDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(request.openDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, (request.flags & OFN_OVERWRITEPROMPT) == 0);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(Q(request.defaultExtension));
  dialog.selectFile(Q(request.initialName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  *path = S(dialog.selectedFiles().first());
  return true;
}

// ---- Timers, clock, descriptors ------------------------------------------------------------

void QtWindowSystem::SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) {
  QTimer*& timer = m_timers[{wnd, id}];
  if (!timer) {
    timer = new QTimer();
    timer->setTimerType(Qt::PreciseTimer);
  }
  QObject::disconnect(timer, &QTimer::timeout, nullptr, nullptr);
  QObject::connect(timer, &QTimer::timeout, timer, std::move(onExpiry));
  timer->start(static_cast<int>(ms));  // restarts a running timer
}

void QtWindowSystem::KillTimer(NativeWindow* wnd, UINT_PTR id) {
  auto it = m_timers.find({wnd, id});
  if (it == m_timers.end()) return;
  it->second->stop();
  it->second->deleteLater();  // may be inside its own timeout
  m_timers.erase(it);
}

std::int64_t QtWindowSystem::WallClockNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

int QtWindowSystem::SystemMetric(int index) { return index == SM_CXICON || index == SM_CYICON ? 32 : 0; }

FdWatcher::Token QtWindowSystem::Watch(int fd, std::function<void()> onReadable) {
  const Token token = m_nextToken++;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [onReadable = std::move(onReadable)] { onReadable(); });
  m_notifiers[token] = notifier;
  return token;
}

void QtWindowSystem::Unwatch(Token token) {
  auto it = m_notifiers.find(token);
  if (it == m_notifiers.end()) return;
  it->second->setEnabled(false);
  it->second->deleteLater();
  m_notifiers.erase(it);
}

bool QtWindowSystem::Grab(const DialogWindow& dlg, const std::string& pngPath) const {
  auto* view = static_cast<DialogView*>(dlg.view);
  QCoreApplication::processEvents();  // pending list refreshes first, as the screen would show them
  return view && view->dialog->grab().save(Q(pngPath), "PNG");
}

void QtWindowSystem::Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool QtWindowSystem::WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

}  // namespace qtbackend
