#include "i18n/language_table.h"

namespace i18n {

const LanguageEntry kLanguageTable[kLanguageCount] = {
    {40802, u"Arabic", u"uninst_lang_ar_ae.xml"},
    {40803, u"Bulgarian", u"uninst_lang_bg_bg.xml"},
    {40804, u"Hungarian", u"uninst_lang_hu_hu.xml"},
    {40805, u"Catalan", u"uninst_lang_ca_es.xml"},
    {40806, u"Czech", u"uninst_lang_cz_cz.xml"},
    {40807, u"Chinese_Simplified", u"uninst_lang_zh_cn.xml"},
    {40808, u"Chinese_Traditional", u"uninst_lang_tw_cn.xml"},
    {40809, u"Danish", u"uninst_lang_da_dk.xml"},
    {40810, u"Dutch", u"uninst_lang_nl_nl.xml"},
    {40811, u"English", u"uninst_lang_en_us.xml"},
    {40812, u"Estonian", u"uninst_lang_et_ee.xml"},
    {40813, u"Finnish", u"uninst_lang_fi_fi.xml"},
    {40814, u"French", u"uninst_lang_fr_fr.xml"},
    {40815, u"Galician", u"uninst_lang_gl_es.xml"},
    {40816, u"German", u"uninst_lang_de_de.xml"},
    {40817, u"Greek", u"uninst_lang_el_gr.xml"},
    {40818, u"Italian", u"uninst_lang_it_it.xml"},
    {40819, u"Korean", u"uninst_lang_ko_kr.xml"},
    {40820, u"Latvian", u"uninst_lang_lv_lv.xml"},
    {40821, u"Lithuanian", u"uninst_lang_lt_lt.xml"},
    {40822, u"Norwegian", u"uninst_lang_nb_no.xml"},
    {40823, u"Polish", u"uninst_lang_pl_pl.xml"},
    {40824, u"Portuguese", u"uninst_lang_pt_pt.xml"},
    {40825, u"Portuguese_Brazilian", u"uninst_lang_pt_br.xml"},
    {40826, u"Romanian", u"uninst_lang_ro_ro.xml"},
    {40827, u"Russian", u"uninst_lang_ru_ru.xml"},
    {40828, u"Slovenian", u"uninst_lang_sl_si.xml"},
    {40829, u"Spanish", u"uninst_lang_es_es.xml"},
    {40830, u"Swedish", u"uninst_lang_sv_se.xml"},
    {40831, u"Turkish", u"uninst_lang_tr_tr.xml"},
    {40832, u"Hebrew", u"uninst_lang_he_il.xml"},
    {40833, u"Japanese", u"uninst_lang_jp_jp.xml"},
    {40834, u"Thai", u"uninst_lang_th_th.xml"},
    {40835, u"Valencian", u"uninst_lang_va_es.xml"},
    {40836, u"Ireland", u"uninst_lang_ga_ie.xml"},
};

const char16_t* LanguageFileName(win::WORD languageId) {
    for (const LanguageEntry& entry : kLanguageTable) {
        if (entry.id == languageId) return entry.fileName && *entry.fileName ? entry.fileName : kEnglishLanguageFile;
    }
    return kEnglishLanguageFile;
}

}  // namespace i18n
