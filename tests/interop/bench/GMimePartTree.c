/* The benchmark's peer (never part of the product): GMime 3 parses one message file and decodes
 * every leaf into a null stream, as `GMimePartTree FILE`. Built by bench/run only. */
#include <gmime/gmime.h>
#include <stdio.h>

static gint64 decoded;

static void DecodeLeaf(GMimeObject *parent, GMimeObject *part, gpointer data)
{
    (void) parent;
    (void) data;
    if (!GMIME_IS_PART(part))
        return;
    GMimeDataWrapper *content = g_mime_part_get_content(GMIME_PART(part));
    if (!content)
        return;
    GMimeStream *sink = g_mime_stream_null_new();
    decoded += g_mime_data_wrapper_write_to_stream(content, sink);
    g_object_unref(sink);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: GMimePartTree FILE\n");
        return 2;
    }
    g_mime_init();
    GMimeStream *stream = g_mime_stream_fs_open(argv[1], 0, 0, NULL);
    if (!stream)
        return 1;
    GMimeParser *parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage *message = g_mime_parser_construct_message(parser, NULL);
    if (!message)
        return 1;
    int parts = 0;
    GMimePartIter *iter = g_mime_part_iter_new((GMimeObject *) message);
    do
        ++parts;
    while (g_mime_part_iter_next(iter));
    g_mime_part_iter_free(iter);
    g_mime_message_foreach(message, DecodeLeaf, NULL);
    printf("%d parts, %lld bytes decoded\n", parts, (long long) decoded);
    g_object_unref(message);
    g_object_unref(parser);
    g_object_unref(stream);
    return 0;
}
