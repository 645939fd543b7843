#pragma once
// The thread tags that the framework's, the adapters' and the editor's
// headers put on each host-facing operation, in brackets after its comment:
//
//   [audio]  the host's audio thread; the caller holds the instance lock.
//   [ui]     the host's user-interface thread: the dispatcher, the editor's
//            window and its idle calls. Hosts may use more than one such
//            thread (opening on one, idling or closing on another).
//   [any thread, instance lock held]
//            whichever thread the host calls from (parameter changes may come
//            from its automation or audio thread); the caller holds the
//            instance lock.
//   [any thread]
//            any thread, no lock needed.
//   [ui or audio]
//            either the user-interface or the audio thread.
//
// The instance lock (IEffectBase::Lock) is re-entrant. Nothing slow (a
// window-system round trip, a file, a decode) happens under it, and values
// cross from the host's threads to the editor's by hand-offs that never
// block the host.
