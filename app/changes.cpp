// changes.cpp - the catalogue's changes with backup and undo history.
#include "app/changes.h"

namespace {

// The stored form of the entry numbered `number` in the freshly read list.
Snippet stored(const SnippetArray& snippets, int32_t number, const Snippet& fallback) {
  for (int32_t i = 0; i < snippets.size1; ++i)
    if (snippets(i).number == number) return snippets(i);
  Snippet s = fallback;
  s.number = number;
  return s;
}

void record(ChangeHistory& h, const Change& change) {
  h.done.resize(h.position);
  h.done.push_back(change);
  h.position = h.done.size();
}

// One direction of a recorded change, applied to the file; `forward` redoes
// it, otherwise it is undone. The record's numbers follow the file.
SaveOutcome apply(const Catalogue& c, Change& ch, bool forward, HistoryStep& step) {
  SnippetArray list;
  SaveOutcome o;
  step.category = ch.category;
  switch (ch.kind) {
    case ChangeKind::add:
      if (forward) {
        o = save_snippet(c, ch.category, list, ch.after, encode_code(ch.after.code));
        if (o.saved) ch.after = stored(list, o.number, ch.after);
        step.name = ch.after.name;
      } else {
        o = delete_snippet(c, ch.category, list, ch.after);
      }
      break;
    case ChangeKind::replace: {
      Snippet& from = forward ? ch.before : ch.after;
      Snippet& to = forward ? ch.after : ch.before;
      o = replace_snippet(c, ch.category, list, from, to);
      if (o.saved) to = stored(list, o.number, to);
      step.name = to.name;
      break;
    }
    case ChangeKind::remove:
      if (forward) {
        o = delete_snippet(c, ch.category, list, ch.before);
      } else {
        // back under its old number, the entries after it moving up again
        o = save_snippet(c, ch.category, list, ch.before, encode_code(ch.before.code), ch.before.number);
        if (o.saved) ch.before = stored(list, o.number, ch.before);
        step.name = ch.before.name;
      }
      break;
    case ChangeKind::move: {
      const TvString& from = forward ? ch.category : ch.to;
      const TvString& to = forward ? ch.to : ch.category;
      o = move_snippet(c, from, to, list, ch.after);
      if (o.saved) ch.after.number = o.number;
      step.category = to;
      step.name = ch.after.name;
      break;
    }
  }
  return o;
}

HistoryStep walk(const Catalogue& c, ChangeHistory& h, bool forward) {
  HistoryStep step;
  if (forward ? h.position >= h.done.size() : h.position == 0) return step;
  step.any = true;
  backup_before_change(h.backups, c.path);
  Change& ch = h.done[forward ? h.position : h.position - 1];
  step.outcome = apply(c, ch, forward, step);
  if (step.outcome.saved) forward ? ++h.position : --h.position;
  return step;
}

}  // namespace

SaveOutcome change_add(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                       const Snippet& snippet_now) {
  const Snippet snippet = snippet_now;
  backup_before_change(h.backups, c.path);
  SaveOutcome o = save_snippet(c, category, snippets, snippet, encode_code(snippet.code));
  if (!o.saved) return o;
  Change ch;
  ch.kind = ChangeKind::add;
  ch.category = category;
  ch.after = stored(snippets, o.number, snippet);
  record(h, ch);
  return o;
}

SaveOutcome change_replace(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                           const Snippet& shown_now, const Snippet& edited_now) {
  // copies: the caller's snippets may live in `snippets`, which the save refills
  const Snippet shown = shown_now, edited = edited_now;
  backup_before_change(h.backups, c.path);
  SaveOutcome o = replace_snippet(c, category, snippets, shown, edited);
  if (!o.saved) return o;
  Change ch;
  ch.kind = ChangeKind::replace;
  ch.category = category;
  ch.before = shown;
  ch.before.number = o.number;
  ch.after = stored(snippets, o.number, edited);
  record(h, ch);
  return o;
}

SaveOutcome change_delete(const Catalogue& c, ChangeHistory& h, const TvString& category, SnippetArray& snippets,
                          const Snippet& shown_now) {
  const Snippet shown = shown_now;
  backup_before_change(h.backups, c.path);
  SaveOutcome o = delete_snippet(c, category, snippets, shown);
  if (!o.saved) return o;
  Change ch;
  ch.kind = ChangeKind::remove;
  ch.category = category;
  ch.before = shown;  // its number is where the undo puts it back
  record(h, ch);
  return o;
}

SaveOutcome change_move(const Catalogue& c, ChangeHistory& h, const TvString& from, const TvString& to,
                        SnippetArray& snippets, const Snippet& shown_now) {
  const Snippet shown = shown_now;
  backup_before_change(h.backups, c.path);
  SaveOutcome o = move_snippet(c, from, to, snippets, shown);
  if (!o.saved) return o;
  Change ch;
  ch.kind = ChangeKind::move;
  ch.category = from;
  ch.to = to;
  ch.after = shown;
  ch.after.number = o.number;
  record(h, ch);
  return o;
}

HistoryStep change_undo(const Catalogue& c, ChangeHistory& h) { return walk(c, h, false); }
HistoryStep change_redo(const Catalogue& c, ChangeHistory& h) { return walk(c, h, true); }
