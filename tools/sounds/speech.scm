;;; Spoken clips for Scurrow, synthesized with festival's cmu_us_slt_arctic_hts voice.
;;;
;;; Run by tools/make-sounds as
;;;   festival -b '(set! scurrow_out "DIR")' tools/sounds/speech.scm
;;; For every clip it writes DIR/NAME.wav (32 kHz mono, straight from the voice) and one line
;;; "NAME START END" to DIR/times.txt: the span in seconds that make-sounds keeps.

(voice_cmu_us_slt_arctic_hts)

;; Pronunciation fixes.
;; The teens get their stress on "-teen", with the first syllable weak, so that "thirteen" and
;; "thirty" differ in rhythm as well as in the final "n" (the voice's own lexicon stresses
;; both syllables of some teens, which makes them sound like the tens).
(lex.add.entry '("thirteen" nil (((th er) 0) ((t iy n) 1))))
(lex.add.entry '("fourteen" nil (((f ao r) 0) ((t iy n) 1))))
(lex.add.entry '("fifteen" nil (((f ih f) 0) ((t iy n) 1))))
(lex.add.entry '("sixteen" nil (((s ih k s) 0) ((t iy n) 1))))
(lex.add.entry '("seventeen" nil (((s eh) 0) ((v ax n) 0) ((t iy n) 1))))
(lex.add.entry '("eighteen" nil (((ey) 0) ((t iy n) 1))))
(lex.add.entry '("nineteen" nil (((n ay n) 0) ((t iy n) 1))))
;; The game's name rhymes with "burrow"; letter-to-sound would say "skrow".
(lex.add.entry '("scurrow" n (((s k er) 1) ((ow) 0))))

;; Clip table: (NAME MODE TEXT)
;;   whole: keep the whole utterance (minus the voice's leading and trailing pauses).
;;   first: keep only the first word. The tens are said in front of "points", which is how
;;          they are heard in a score; that gives them the short, unstressed "-ty" of running
;;          speech instead of the drawn-out ending of a word said on its own.
(define scurrow_clips
  '(("0" whole "zero")
    ("1" whole "one")
    ("2" whole "two")
    ("3" whole "three")
    ("4" whole "four")
    ("5" whole "five")
    ("6" whole "six")
    ("7" whole "seven")
    ("8" whole "eight")
    ("9" whole "nine")
    ("10" whole "ten")
    ("11" whole "eleven")
    ("12" whole "twelve")
    ("13" whole "thirteen")
    ("14" whole "fourteen")
    ("15" whole "fifteen")
    ("16" whole "sixteen")
    ("17" whole "seventeen")
    ("18" whole "eighteen")
    ("19" whole "nineteen")
    ("20" first "twenty points")
    ("30" first "thirty points")
    ("40" first "forty points")
    ("50" first "fifty points")
    ("60" first "sixty points")
    ("70" first "seventy points")
    ("80" first "eighty points")
    ("90" first "ninety points")
    ("hundred" whole "hundred")
    ("thousand" whole "thousand")
    ("points" whole "points")
    ("say-faster" whole "Faster!")
    ("say-timesup" whole "Time's up!")
    ("say-again" whole "Press Y to play again, or press N to quit.")
    ("say-title" whole "Scurrow!")
    ("say-goal" whole "Find the hidden star with the arrow keys, before time runs out.")))

(define (scurrow_first_word_end utt)
  "End time of the last segment of the first word."
  (let ((word (item.relation (utt.relation.first utt 'Word) 'SylStructure)))
    (item.feat (item.daughtern (item.daughtern word)) "end")))

(define (scurrow_speech_end utt)
  "End time of the last segment that is not a pause."
  (let ((seg (utt.relation.last utt 'Segment)))
    (while (string-equal (item.name seg) "pau")
      (set! seg (item.prev seg)))
    (item.feat seg "end")))

(define (scurrow_speak clip times)
  (let ((name (car clip))
        (mode (cadr clip))
        (utt (SynthText (car (cddr clip)))))
    (utt.save.wave utt (string-append scurrow_out "/" name ".wav") 'riff)
    (format times "%s %.3f %.3f\n" name
            (item.feat (utt.relation.first utt 'Segment) "end")
            (if (eq mode 'first) (scurrow_first_word_end utt) (scurrow_speech_end utt)))))

(let ((times (fopen (string-append scurrow_out "/times.txt") "w")))
  (mapcar (lambda (clip) (scurrow_speak clip times)) scurrow_clips)
  (fclose times))
