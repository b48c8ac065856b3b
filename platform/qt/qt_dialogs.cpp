// Message boxes, file, colour and option dialogs, the busy cursor and the
// browser.
#include <algorithm>

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QUrl>

#include "platform/platform.h"
#include "platform/qt/qt_shell.h"
#include "resources/dialogs.h"

using namespace sys;

namespace {

// "*.*" names every file, as on the desktop it comes from; here it would
// leave out the names without a dot.
QString filterList(const std::vector<FileFilter>& filters) {
    QStringList entries;
    for (const FileFilter& filter : filters) {
        std::string pattern = filter.pattern == "*.*" ? "*" : filter.pattern;
        entries << QString::fromStdString(filter.label + " (" + pattern + ")");
    }
    return entries.join(";;");
}

// The first entry with a pattern "*.ext" that `fileName` ends with, as the
// list shows it; empty when none has.
QString filterTaking(const std::vector<FileFilter>& filters, const QString& fileName) {
    for (const FileFilter& filter : filters) {
        for (const QString& pattern : QString::fromStdString(filter.pattern).split(' ', Qt::SkipEmptyParts)) {
            bool suffix = pattern.startsWith("*.") && pattern != "*.*" &&
                          fileName.endsWith(pattern.mid(1), Qt::CaseInsensitive);
            if (suffix) return filterList({filter});
        }
    }
    return {};
}

void enterFolderOf(const QString& path) {
    QDir::setCurrent(QFileInfo(path).absolutePath());
}

// Dialog units to pixels: a horizontal unit is a quarter of the average
// width of the letters A-Z a-z, a vertical unit an eighth of the line height.
QRect pixelsOf(const DialogBox& box, const QFontMetrics& metrics) {
    static const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    double averageWidth = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    double unitX = averageWidth / 4.0;
    double unitY = metrics.height() / 8.0;
    return QRect(static_cast<int>(box.x * unitX), static_cast<int>(box.y * unitY),
                 static_cast<int>(box.width * unitX), static_cast<int>(box.height * unitY));
}

// The layout was drawn for a narrower font: a text may run past the right
// end of its box rather than be cut.
void placeText(QWidget* widget, const DialogBox& box, const QFontMetrics& metrics) {
    QRect pixels = pixelsOf(box, metrics);
    pixels.setWidth(std::max(pixels.width(), widget->sizeHint().width()));
    widget->setGeometry(pixels);
}

QColor colorOf(uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

void keepCustomColorsBlackAtStart() {
    if (qt.customColorsCleared) return;
    qt.customColorsCleared = true;
    for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, QColor(0, 0, 0));
}

}  // namespace

void sys::showMessageBox(const std::string& text, bool informationIcon) {
    QMessageBox box(informationIcon ? QMessageBox::Information : QMessageBox::NoIcon,
                    QString::fromUtf8(programTitle), QString::fromStdString(text), QMessageBox::Ok,
                    qt.mainWindow);
    box.exec();
}

void sys::setBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

std::optional<std::string> sys::chooseFileToOpen(const std::string& title, const std::vector<FileFilter>& filters,
                                            const std::string& initialName) {
    // The labels name their patterns themselves: show them as they are. A
    // bare initial name is taken in the current directory. An initial file
    // is selected under the first entry that lists it, so that Return opens it.
    QString initial = QString::fromStdString(initialName);
    QString entry = filterTaking(filters, QFileInfo(initial).fileName());
    QString chosen = QFileDialog::getOpenFileName(qt.mainWindow, QString::fromStdString(title), initial,
                                                  filterList(filters), entry.isEmpty() ? nullptr : &entry,
                                                  QFileDialog::HideNameFilterDetails);
    if (chosen.isEmpty()) return std::nullopt;
    enterFolderOf(chosen);
    return chosen.toStdString();
}

std::optional<std::string> sys::chooseFileToSave(const std::vector<FileFilter>& filters,
                                            const std::string& defaultExtension) {
    QFileDialog dialog(qt.mainWindow);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filterList(filters));
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString chosen = dialog.selectedFiles().first();
    enterFolderOf(chosen);
    return chosen.toStdString();
}

std::optional<uint32_t> sys::chooseColor(uint32_t initial) {
    keepCustomColorsBlackAtStart();
    QColor chosen = QColorDialog::getColor(colorOf(initial), qt.mainWindow);
    if (!chosen.isValid()) return std::nullopt;
    return static_cast<uint32_t>(chosen.red()) | (static_cast<uint32_t>(chosen.green()) << 8) |
           (static_cast<uint32_t>(chosen.blue()) << 16);
}

OptionDialogAnswer sys::runOptionDialog(const OptionDialog& layout, int currentValue) {
    QDialog dialog(qt.mainWindow);
    dialog.setWindowTitle(QString::fromUtf8(layout.title));
    dialog.setWindowOpacity(190.0 / 255.0);
    QFontMetrics metrics(dialog.font());
    QRect frame = pixelsOf(layout.box, metrics);
    dialog.setFixedSize(frame.width(), frame.height());

    std::vector<std::pair<int, QRadioButton*>> radios;
    QLineEdit* field = nullptr;
    if (layout.hasTextField) {
        auto* prompt = new QLabel(QString::fromUtf8(layout.prompt), &dialog);
        placeText(prompt, layout.promptBox, metrics);
        field = new QLineEdit(QString::number(static_cast<unsigned int>(currentValue)), &dialog);
        field->setGeometry(pixelsOf(layout.fieldBox, metrics));
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
    } else {
        for (int line = 0; line < 7; ++line) {
            auto* text = new QLabel(QString::fromUtf8(layout.questionLines[line]), &dialog);
            placeText(text, DialogBox{8, 10 + 10 * line, 80, 10}, metrics);
        }
        for (int i = 0; i < layout.buttonCount; ++i) {
            const DialogRadioButton& button = layout.buttons[i];
            auto* radio = new QRadioButton(QString::fromUtf8(button.label), &dialog);
            placeText(radio, button.box, metrics);
            radio->setChecked(button.value == currentValue);
            radios.emplace_back(button.id, radio);
        }
    }
    auto* ok = new QPushButton("OK", &dialog);
    ok->setGeometry(pixelsOf(layout.okBox, metrics));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    OptionDialogAnswer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted;
    for (auto& [id, radio] : radios) {
        if (radio->isChecked()) answer.markedButtonId = id;
    }
    if (field != nullptr) answer.editText = field->text().toStdString();
    return answer;
}

bool sys::openLocalPage(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}
