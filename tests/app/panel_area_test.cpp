// The panel area and the design toolbox around a loaded panel: the toolbox is wide enough for
// its lists in both languages, a big panel scrolls, and the lists' pictures are read once.
#include "app/mainwindow.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QGraphicsView>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kAdder = QStringLiteral(BRIXO_EXAMPLES_DIR "/adder_a.jvp");

// The adder panel with a plain background of the given size in its place.
QString panelWithBackground(const QTemporaryDir& dir, const QSize& size)
{
    QFile in(kAdder);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QJsonObject panel = QJsonDocument::fromJson(in.readAll()).object();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    panel[QStringLiteral("backgroundImage")] =
        QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
    panel[QStringLiteral("backgroundSize")] =
        QJsonObject{{QStringLiteral("x"), size.width()}, {QStringLiteral("y"), size.height()}};
    const QString file = dir.filePath(QStringLiteral("bg%1x%2.jvp").arg(size.width()).arg(size.height()));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(panel).toJson()) <= 0)
        return {};
    return file;
}

} // namespace

TEST(PanelArea, ToolboxListsAreNotCutInEitherLanguage)
{
    Q_INIT_RESOURCE(translations);
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "english" : "chinese");
        QTranslator translator;
        if (english) {
            ASSERT_TRUE(translator.load(QStringLiteral(":/trans/english")));
            QApplication::installTranslator(&translator);
        }
        MainWindow w;
        w.show();
        w.openPanelAtStart(kAdder);
        DesignToolbox* toolbox = w.designer()->toolbox();
        toolbox->show();
        QApplication::processEvents();
        toolbox->widget()->layout()->activate();
        EXPECT_GE(toolbox->width(), 120);
        int items = 0;
        for (const brixo::KindInfo& k : brixo::kComponentKinds) {
            const QComboBox* list = toolbox->list(k.kind);
            for (int i = 0; i < list->count(); ++i, ++items) {
                const int needed = list->fontMetrics().horizontalAdvance(list->itemText(i)) + list->iconSize().width();
                EXPECT_LT(needed, list->width()) << qPrintable(list->itemText(i));
            }
        }
        EXPECT_GT(items, 5); // the panel's components are listed, not only the headers
        if (english)
            QApplication::removeTranslator(&translator);
    }
}

TEST(PanelArea, BigPanelScrollsAndKeepsBackgroundUnderItsPositions)
{
    QTemporaryDir dir;
    const struct {
        QSize background;
        bool scrolls;
    } cases[] = {{{300, 200}, false}, {{4000, 3000}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.background.width());
        MainWindow w;
        w.show();
        w.resize(1000, 700);
        const QString file = panelWithBackground(dir, c.background);
        ASSERT_FALSE(file.isEmpty());
        w.openPanelAtStart(file);
        QApplication::processEvents();
        auto* scroll = qobject_cast<QScrollArea*>(w.centralWidget());
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(scroll->horizontalScrollBar()->maximum() > 0, c.scrolls);
        EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, c.scrolls);

        // The far corner pixel, in panel coordinates and in the visible area, before and after scrolling.
        QGraphicsView* background = w.panel()->backgroundView();
        QWidget* panelView = w.panel()->panelView();
        const QPointF corner(c.background.width() - 5, c.background.height() - 5);
        auto inPanel = [&] { return background->mapTo(panelView, background->mapFromScene(corner)); };
        const QPoint before = inPanel();
        scroll->horizontalScrollBar()->setValue(scroll->horizontalScrollBar()->maximum());
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        QApplication::processEvents();
        EXPECT_EQ(inPanel(), before);
        EXPECT_TRUE(scroll->viewport()->rect().contains(panelView->mapTo(scroll->viewport(), before)));
        const QPushButton* sw = w.panel()->switchButtons().value(0);
        ASSERT_NE(sw, nullptr);
        EXPECT_EQ(sw->parentWidget(), panelView); // components scroll with the background
    }
}

TEST(PanelArea, ListPicturesAreReadOncePerProcess)
{
    const QString dir = QStringLiteral(BRIXO_EXAMPLES_DIR "/");
    auto w = std::make_unique<MainWindow>();
    for (const char* file : {"adder_a.jvp", "bus_register_shifter.jvp", "adder_a.jvp"})
        w->openPanelAtStart(dir + QLatin1String(file));
    w = std::make_unique<MainWindow>();
    w->openPanelAtStart(dir + QStringLiteral("counter_shifter_bus.jvp"));
    EXPECT_GT(w->designer()->toolbox()->switchCombo()->count(), 1);
    EXPECT_EQ(DesignToolbox::listIconLoads(), 5);
}
