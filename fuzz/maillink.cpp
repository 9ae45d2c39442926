// Any mail text, in either language, through the mail link and the web-form link: neither may
// carry a raw line end or blank, and the mail text must come back whole from the link.
#include "info/abouttexts.h"
#include "info/feedbacklinks.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = text.split(u'\n');
    const QString sent = lines.join(QStringLiteral("\r\n"));
    for (const QString& language : {QStringLiteral("NLD"), QStringLiteral("ENU")}) {
        const AboutTexts texts = AboutTextsFor(language);
        const QString mail = MailLink(texts, lines, QStringLiteral("qzRate"), text);
        const QString form = WebFormLink(texts, QUrl(QStringLiteral("http://127.0.0.1:8453/")),
                                         lines, QStringLiteral("qzRate"), text);
        for (const auto& [link, key] : {std::pair{mail, QStringLiteral("&Body=")},
                                        std::pair{form, QStringLiteral("&Contents=")}}) {
            if (link.contains(u'\n') || link.contains(u'\r') || link.contains(u' '))
                __builtin_trap();
            // The encoded text holds no '&' of its own, so the last key starts the body.
            const QString body = link.mid(link.lastIndexOf(key) + key.size());
            if (QUrl::fromPercentEncoding(body.toLatin1()) != sent)
                __builtin_trap();
        }
        UsesWebForm(text);
    }
    return 0;
}
