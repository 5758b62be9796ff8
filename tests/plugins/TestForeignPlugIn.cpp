// A Qt plug-in that is no image filter: the editor must refuse it and use its own window.
#include <QObject>
#include <QtPlugin>

class TestForeignPlugIn : public QObject
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.parcelwick.tests.NotAnImageFilter/1.0")
};

#include "TestForeignPlugIn.moc"
