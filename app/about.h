#pragma once
// The program's name, version and picture.
#include <QDialog>

class QLabel;

class about : public QDialog {
    Q_OBJECT
public:
    explicit about(QWidget* parent = nullptr);

private:
    QLabel* nameLabel = nullptr;
    QLabel* descriptionLabel = nullptr;
    QLabel* pictureLabel = nullptr;
};
