#include "GSettingsKey.h"

#include "Log.h"

#include <gio/gio.h>

struct GSettingsKey::Handle {
    GSettings *settings = nullptr;
    GSettingsSchemaKey *schemaKey = nullptr;
    QByteArray key;
    gulong handler = 0;
    std::function<void()> changed;

    ~Handle()
    {
        if (handler != 0)
            g_signal_handler_disconnect(settings, handler);
        g_settings_schema_key_unref(schemaKey);
        g_object_unref(settings);
    }
};

GSettingsKey::GSettingsKey(std::unique_ptr<Handle> handle)
    : m_handle(std::move(handle))
{}

GSettingsKey::~GSettingsKey() = default;

std::unique_ptr<GSettingsKey> GSettingsKey::open(const QString &schema, const QString &key)
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    const QByteArray schemaId = schema.toUtf8();
    const QByteArray keyName = key.toUtf8();
    GSettingsSchema *found = g_settings_schema_source_lookup(source, schemaId.constData(), TRUE);
    if (!found)
        return nullptr;
    const bool hasKey = g_settings_schema_has_key(found, keyName.constData());
    if (!hasKey) {
        g_settings_schema_unref(found);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->settings = g_settings_new_full(found, nullptr, nullptr);
    handle->schemaKey = g_settings_schema_get_key(found, keyName.constData());
    handle->key = keyName;
    g_settings_schema_unref(found);
    return std::unique_ptr<GSettingsKey>(new GSettingsKey(std::move(handle)));
}

QVariant GSettingsKey::value() const
{
    GVariant *value = g_settings_get_value(m_handle->settings, m_handle->key.constData());
    QVariant result;
    if (g_variant_classify(value) == G_VARIANT_CLASS_BOOLEAN)
        result = bool(g_variant_get_boolean(value));
    else if (g_variant_classify(value) == G_VARIANT_CLASS_STRING)
        result = QString::fromUtf8(g_variant_get_string(value, nullptr));
    g_variant_unref(value);
    return result;
}

bool GSettingsKey::set(const QVariant &value)
{
    const char *key = m_handle->key.constData();
    if (!g_settings_is_writable(m_handle->settings, key))
        return false;
    GVariant *written = nullptr;
    if (value.typeId() == QMetaType::Bool)
        written = g_variant_new_boolean(value.toBool());
    else if (value.typeId() == QMetaType::QString)
        written = g_variant_new_string(value.toString().toUtf8().constData());
    if (!written)
        return false;
    g_variant_ref_sink(written);
    // GSettings would complain loudly about a value outside the key's type or choices.
    const bool fits = g_variant_type_equal(g_variant_get_type(written),
                                           g_settings_schema_key_get_value_type(m_handle->schemaKey)) &&
                      g_settings_schema_key_range_check(m_handle->schemaKey, written);
    const bool ok = fits && g_settings_set_value(m_handle->settings, key, written);
    g_variant_unref(written);
    if (!ok)
        qCWarning(lcTools).noquote() << "the setting" << m_handle->key << "was not written";
    return ok;
}

void GSettingsKey::onChanged(std::function<void()> changed)
{
    m_handle->changed = std::move(changed);
    if (m_handle->handler != 0)
        return;
    const QByteArray signal = "changed::" + m_handle->key;
    void (*heard)(GSettings *, const char *, gpointer) = [](GSettings *, const char *, gpointer data) {
        auto *handle = static_cast<Handle *>(data);
        if (handle->changed)
            handle->changed();
    };
    m_handle->handler =
        g_signal_connect_data(m_handle->settings, signal.constData(), reinterpret_cast<GCallback>(heard),
                              m_handle.get(), nullptr, GConnectFlags{});
}
