#pragma once

#include "platform/PWBundle.h"

#include "TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace shelltest {

// A bundle of its own in a temporary folder: an Info dictionary with the given entries (XML
// plist text of key and value elements) and, when given, a credits file.
class ScratchBundle
{
public:
    explicit ScratchBundle(const QByteArray &infoEntries, const QByteArray &credits = QByteArray())
    {
        const QByteArray info = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                                + infoEntries + "</dict>\n</plist>\n";
        EXPECT_TRUE(pwtest::writeFile(m_dir.path() + QStringLiteral("/Info.plist"), info));
        if (!credits.isEmpty()) {
            EXPECT_TRUE(pwtest::writeFile(m_dir.path() + QStringLiteral("/Credits.rtf"), credits));
        }
        m_bundle = std::make_unique<PWBundle>(m_dir.path());
    }

    const PWBundle &bundle() const { return *m_bundle; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PWBundle> m_bundle;
};

} // namespace shelltest
