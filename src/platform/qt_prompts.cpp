#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "platform/prompts.h"

namespace kestrum {

namespace {

// Where a file name needs no dot, "*.*" would hide files without an extension.
QString NativePattern(const QString& pattern) {
#ifdef Q_OS_WIN
    return pattern;
#else
    return pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
#endif
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // The chosen file need not exist (the caller reports what it cannot open), and a
    // save replaces an existing file without asking.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = NameFiltersFromPipeFilter(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
        }
    }
    const QString folder = DialogStartFolder(request.directory);
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) {
        return std::nullopt;
    }
    if (mode == QFileDialog::AcceptSave) {
        // "modem" saved as Command Files is "modem.cmd", which Open Com Set then lists.
        return WithFilterExtension(chosen.first(), dialog.selectedNameFilter());
    }
    return chosen.first();
}

}  // namespace

QString WithFilterExtension(const QString& path, const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const QString first =
        open < 0 ? QString() : nameFilter.mid(open + 1).chopped(1).section(QLatin1Char(' '), 0, 0);
    const bool oneExtension = first.startsWith(QLatin1String("*.")) && first.size() > 2 &&
                              !first.mid(2).contains(QLatin1Char('*'));
    if (!oneExtension || QFileInfo(path).fileName().contains(QLatin1Char('.'))) {
        return path;
    }
    return path + first.mid(1);
}

QStringList NameFiltersFromPipeFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype index = 0; index + 1 < parts.size(); index += 2) {
        QString caption = parts[index].trimmed();
        const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
        if (open > 0 && caption.endsWith(QLatin1Char(')'))) {
            caption = caption.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& pattern :
             parts[index + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            patterns.append(NativePattern(pattern.trimmed()));
        }
        filters.append(QStringLiteral("%1 (%2)").arg(caption, patterns.join(QLatin1Char(' '))));
    }
    return filters;
}

QString DialogStartFolder(const QString& directory) {
    if (directory.isEmpty()) {
        return {};
    }
    const QFileInfo info(directory);
    if (info.isDir()) {
        return info.absoluteFilePath();
    }
    // A file, or a name that no longer exists: start in the folder it names.
    return info.absolutePath();
}

void QtPrompts::Message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

Answer QtPrompts::Ask(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageCaption), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<QString> QtPrompts::OpenFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompts::SaveFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

std::optional<PrintChoice> QtPrompts::Print(bool hasSelection) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The dialog opens with "Selection" chosen when there is one, else "All".
    printer->setPrintRange(hasSelection ? QPrinter::Selection : QPrinter::AllPages);
    QPrintDialog dialog(printer.get(), parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, hasSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const bool selectionOnly = printer->printRange() == QPrinter::Selection;
    return PrintChoice{std::move(printer), selectionOnly};
}

namespace {

class DialogProgress final : public Progress {
public:
    DialogProgress(const QString& text, int maximum, QWidget* parent)
        : dialog_(text, QStringLiteral("Cancel"), 0, maximum, parent) {
        dialog_.setWindowTitle(QString::fromLatin1(kMessageCaption));
        // Only Cancel is open to the user while the operation runs; the windows stay live.
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setMinimumDuration(500);
        dialog_.setValue(0);
    }

    bool Advance(int done) override {
        dialog_.setValue(done);
        return !dialog_.wasCanceled();
    }

private:
    QProgressDialog dialog_;
};

}  // namespace

std::unique_ptr<Progress> QtPrompts::ShowProgress(const QString& text, int maximum) {
    return std::make_unique<DialogProgress>(text, maximum, parent_);
}

}  // namespace kestrum
