#include "app/filedialog.h"

#include <QFileDialog>

QList<QString>& FileDialog::answers() { static QList<QString> a; return a; }
QList<FileDialog::Asked>& FileDialog::askedList() { static QList<Asked> a; return a; }
const QList<FileDialog::Asked>& FileDialog::asked() { return askedList(); }
void FileDialog::clearAsked() { askedList().clear(); }
void FileDialog::setNextAnswer(const QString& fileName) { answers().append(fileName); }
bool FileDialog::hasQueuedAnswer() { return !answers().isEmpty(); }

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    askedList().append({caption, directory, filter, false});
    if (!answers().isEmpty())
        return answers().takeFirst();
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                    const QString& filter)
{
    askedList().append({caption, directory, filter, true});
    if (!answers().isEmpty())
        return answers().takeFirst();
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}
