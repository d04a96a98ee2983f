#include "app/about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

about::about(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("about"));
    nameLabel = new QLabel(QStringLiteral("Brixo 1.1"), this);
    nameLabel->setObjectName(QStringLiteral("nameLabel"));
    descriptionLabel = new QLabel(tr("FPGA虚拟实验室软件"), this);
    descriptionLabel->setObjectName(QStringLiteral("descriptionLabel"));
    pictureLabel = new QLabel(this);
    pictureLabel->setObjectName(QStringLiteral("pictureLabel"));
    pictureLabel->setFixedSize(50, 50);
    pictureLabel->setScaledContents(true);
    pictureLabel->setPixmap(QPixmap(QStringLiteral(":/images/Application")));

    auto* row = new QHBoxLayout(this);
    row->addWidget(pictureLabel);
    auto* column = new QVBoxLayout();
    column->addWidget(nameLabel);
    column->addWidget(descriptionLabel);
    row->addLayout(column);
    setWindowTitle(tr("About Brixo"));
    setFixedSize(300, 100);
}
